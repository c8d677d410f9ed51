#include "emu/DumpLoader.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/ReadCappedFile.h"

namespace emu {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool IsHeader(const std::vector<std::string_view>& f) {
  if (f.size() != 16 && f.size() != 17) return false;
  for (int i = 0; i < 16; ++i)
    if (f[i].size() != 1 || HexDigit(f[i][0]) != i) return false;
  return true;
}

bool Fail(std::string* error, int line, const std::string& what) {
  if (error) *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

}  // namespace

bool ParseRegisterDump(std::string_view text, RegisterDump* out, std::string* error) {
  RegisterDump dump;
  bool header = false;
  int rows = 0, lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view> f = Fields(line);
    if (!header) {
      header = IsHeader(f);
      if (end == text.size()) break;
      continue;
    }
    if (f.empty()) {
      if (end == text.size()) break;
      continue;
    }
    std::string_view label = f[0];
    if (label.size() != 3 || label[2] != ':' || HexDigit(label[0]) < 0 || HexDigit(label[1]) < 0)
      return Fail(error, lineNo, "expected a row label like \"20:\", found \"" + std::string(label.substr(0, 16)) + "\"");
    int base = HexDigit(label[0]) * 16 + HexDigit(label[1]);
    if (base % 16 != 0) return Fail(error, lineNo, "row label " + std::string(label) + " is not a multiple of 0x10");
    // Sixteen byte fields; whatever follows them is the ascii column.
    size_t n = f.size() - 1;
    if (n < 16) return Fail(error, lineNo, "row " + std::string(label) + " has " + std::to_string(n) + " byte fields, not 16");
    for (size_t i = 0; i < 16; ++i) {
      std::string_view b = f[i + 1];
      if (b == "XX" || b == "xx" || b == "--") continue;
      if (b.size() != 2 || HexDigit(b[0]) < 0 || HexDigit(b[1]) < 0)
        return Fail(error, lineNo,
                    "byte field " + std::to_string(i) + " is \"" + std::string(b.substr(0, 16)) + "\", not two hex digits");
      dump.values[base + i] = HexDigit(b[0]) * 16 + HexDigit(b[1]);
    }
    ++rows;
    if (end == text.size()) break;
  }
  if (!header) return Fail(error, lineNo, "no column header \"0 1 2 ... f\" found");
  if (rows == 0) return Fail(error, lineNo, "no register rows after the header");
  *out = dump;
  return true;
}

bool LoadRegisterDumpFile(const std::string& path, RegisterDump* out, std::string* error) {
  std::string text;
  if (!plat::ReadCappedFile(path, plat::kRegisterDumpMaxBytes, &text, error)) return false;
  std::string err;
  if (!ParseRegisterDump(text, out, &err)) {
    if (error) *error = path + ": " + err;
    return false;
  }
  return true;
}

}  // namespace emu
