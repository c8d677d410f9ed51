#include "emu/DumpLoader.h"

#include <array>
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

// "0 1 2 ... f" (isadump, i2cdump; an ascii heading may follow) or
// "00 01 ... 0F".
bool IsHeader(const std::vector<std::string_view>& f) {
  if (f.size() != 16 && f.size() != 17) return false;
  for (int i = 0; i < 16; ++i) {
    std::string_view c = f[i];
    if (c.size() == 2 && c[0] == '0') c.remove_prefix(1);
    if (c.size() != 1 || HexDigit(c[0]) != i) return false;
  }
  return true;
}

bool IsByteField(std::string_view b) {
  return b.size() == 2 && ((HexDigit(b[0]) >= 0 && HexDigit(b[1]) >= 0) || b == "XX" || b == "xx" || b == "--");
}

std::string Hex2(int v) {
  const char* digits = "0123456789ABCDEF";
  return {digits[(v >> 4) & 15], digits[v & 15]};
}

bool Fail(std::string* error, int line, const std::string& what) {
  if (error) *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

}  // namespace

bool ParseRegisterDump(std::string_view text, RegisterDump* out, std::string* error) {
  RegisterDump dump;
  std::array<int, 16> rowLine{};  // the line each row came from, 0 = not yet seen
  bool header = false;
  int rows = 0, lineNo = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view> f = Fields(line);
    if (f.empty()) continue;
    // Before the first row: the column header, or anything a tool prints
    // around it (warnings, prompts, "Chip ID: ..." lines).
    if (!header && IsHeader(f)) {
      header = true;
      continue;
    }
    std::string_view label = f[0];
    bool hexLabel = label.size() >= 2 && HexDigit(label[0]) >= 0 && HexDigit(label[1]) >= 0;
    bool colon = label.size() == 3 && label[2] == ':' && hexLabel;
    // Some tools print "00 19 00 ..." under a "00 01 ... 0F" header: no colon.
    bool bare = label.size() == 2 && hexLabel && header && f.size() == 17;
    if (!colon && !bare) {
      bool attempt = label.back() == ':' && label.size() <= 5;
      if (rows == 0 && !attempt) continue;  // the tool's preamble
      return Fail(error, lineNo, "expected a row label like \"20:\", found \"" + std::string(label.substr(0, 16)) + "\"");
    }
    int base = HexDigit(label[0]) * 16 + HexDigit(label[1]);
    std::string name = "row " + std::string(label.substr(0, 2)) + ":";
    if (base % 16 != 0) return Fail(error, lineNo, "row label " + std::string(label) + " is not a multiple of 0x10");
    if (rowLine[base / 16])
      return Fail(error, lineNo, name + " appears twice (first on line " + std::to_string(rowLine[base / 16]) + ")");
    size_t n = f.size() - 1;
    if (n < 16) return Fail(error, lineNo, name + " has " + std::to_string(n) + " byte fields, not 16 (truncated)");
    // Sixteen byte fields; what follows them may only be the 16-character
    // ascii column, never a seventeenth byte.
    if (n > 16 && IsByteField(f[17])) {
      size_t asciiStart = static_cast<size_t>(f[17].data() - line.data());
      size_t lineEnd = static_cast<size_t>(f.back().data() + f.back().size() - line.data());
      if (lineEnd - asciiStart != 16)
        return Fail(error, lineNo, name + " has " + std::to_string(n) + " byte fields, not 16");
    }
    for (size_t i = 0; i < 16; ++i) {
      std::string_view b = f[i + 1];
      if (b == "XX" || b == "xx" || b == "--")
        return Fail(error, lineNo,
                    "register 0x" + Hex2(base + static_cast<int>(i)) + " was not read (\"" + std::string(b) +
                        "\"); a dump must hold every register it shows");
      if (b.size() != 2 || HexDigit(b[0]) < 0 || HexDigit(b[1]) < 0)
        return Fail(error, lineNo,
                    "byte field " + std::to_string(i) + " is \"" + std::string(b.substr(0, 16)) + "\", not two hex digits");
      dump.values[base + i] = HexDigit(b[0]) * 16 + HexDigit(b[1]);
    }
    rowLine[base / 16] = lineNo;
    ++rows;
  }
  if (rows == 0) return Fail(error, lineNo, header ? "no register rows after the header" : "no register rows (\"00: ..\") found");
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
