#include "sdk/memory/SpdImageFile.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace {

bool IsText(std::string_view s) {
  for (unsigned char c : s)
    if (!(c == '\n' || c == '\r' || c == '\t' || (c >= 0x20 && c < 0x7F))) return false;
  return true;
}

bool HexValue(std::string_view t, uint32_t* value) {
  if (t.empty() || t.size() > 8) return false;
  uint32_t v = 0;
  for (char c : t) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    v = v << 4 | static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10));
  }
  *value = v;
  return true;
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

std::string At(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

// One text row: an address, then 16 bytes or 8 little-endian words (an
// ASCII column after them is ignored). `addressOnly` when the line holds
// nothing but the address (hexdump's last line).
enum class Row { NotData, Data, AddressOnly, Repeat };
Row ParseRow(std::string_view line, uint32_t* address, std::vector<int>* bytes, std::string* problem) {
  std::vector<std::string_view> t = Tokens(line);
  if (t.empty()) return Row::NotData;
  if (t.size() == 1 && t[0] == "*") return Row::Repeat;
  size_t k = 0;
  if (t.size() > 1 && t[0] == "0000" && t[1].size() >= 2) ++k;  // od's leading block
  std::string_view a = t[k];
  if (!a.empty() && a.back() == ':') a.remove_suffix(1);
  if (a.size() < 2 || !HexValue(a, address)) return Row::NotData;
  ++k;
  if (k == t.size()) return Row::AddressOnly;
  bytes->clear();
  const bool words = t[k].size() == 4;
  const size_t want = words ? 8 : 16;
  for (size_t n = 0; n < want; ++n, ++k) {
    if (k >= t.size()) {
      *problem = "the row has " + std::to_string(n) + (words ? " words" : " bytes") + " instead of " +
                 std::to_string(want);
      return Row::Data;
    }
    std::string_view v = t[k];
    if (v == "XX" || v == "xx" || v == "--") {
      *problem = "a byte that was not read (" + std::string(v) + ")";
      return Row::Data;
    }
    uint32_t x = 0;
    if (v.size() != (words ? 4u : 2u) || !HexValue(v, &x)) {
      *problem = "'" + std::string(v) + "' is not a hexadecimal " + (words ? "word" : "byte");
      return Row::Data;
    }
    if (words) {
      bytes->push_back(static_cast<int>(x & 0xFF));
      bytes->push_back(static_cast<int>(x >> 8));
    } else {
      bytes->push_back(static_cast<int>(x));
    }
  }
  return Row::Data;
}

bool ParseText(std::string_view s, std::vector<uint8_t>* out, std::string* error) {
  out->clear();
  bool started = false, repeat = false;
  int lineNo = 0;
  size_t pos = 0;
  std::vector<int> row;
  while (pos <= s.size()) {
    size_t end = s.find('\n', pos);
    if (end == std::string_view::npos) end = s.size();
    std::string_view line = s.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    uint32_t address = 0;
    std::string problem;
    const Row kind = ParseRow(line, &address, &row, &problem);
    if (kind == Row::NotData) {
      if (Tokens(line).empty() || !started) continue;  // blank lines, headers before the data
      *error = At(lineNo, "not a row of a dump");
      return false;
    }
    if (kind == Row::Repeat) {
      if (!started) {
        *error = At(lineNo, "a repeat mark before any data");
        return false;
      }
      repeat = true;
      continue;
    }
    started = true;
    if (address > kSpdDumpMaxBytes || address % 16 != 0) {
      char b[64];
      std::snprintf(b, sizeof(b), "address 0x%X does not start a 16-byte row", address);
      *error = At(lineNo, b);
      return false;
    }
    if (repeat) {
      // Rows hexdump left out repeat the row before the mark.
      if (address < out->size() || out->size() < 16) {
        *error = At(lineNo, "the address after a repeat mark goes backwards");
        return false;
      }
      const std::vector<uint8_t> last(out->end() - 16, out->end());
      while (out->size() < address) out->insert(out->end(), last.begin(), last.end());
      repeat = false;
    }
    if (address != out->size()) {
      char b[96];
      std::snprintf(b, sizeof(b), "row at 0x%X where 0x%zX was expected", address, out->size());
      *error = At(lineNo, b);
      return false;
    }
    if (kind == Row::AddressOnly) break;
    if (!problem.empty()) {
      *error = At(lineNo, problem);
      return false;
    }
    if (out->size() + row.size() > 512) {
      *error = At(lineNo, "more than 512 bytes");
      return false;
    }
    for (int b : row) out->push_back(static_cast<uint8_t>(b));
  }
  if (!started) {
    *error = "no dump rows found (expected i2cdump, hexdump -C or 16-bit hexdump output)";
    return false;
  }
  return true;
}

}  // namespace

bool ParseSpdImage(std::string_view contents, std::vector<uint8_t>* image, std::string* error) {
  std::vector<uint8_t> bytes;
  const size_t n = contents.size();
  const bool rawSize = n == 128 || n == 256 || n == 512;
  if (rawSize && !IsText(contents)) {
    bytes.assign(contents.begin(), contents.end());
  } else if (IsText(contents)) {
    if (n > kSpdDumpMaxBytes) {
      *error = "the text dump is larger than " + std::to_string(kSpdDumpMaxBytes) + " bytes";
      return false;
    }
    if (!ParseText(contents, &bytes, error)) return false;
  } else {
    *error = "a binary SPD image has 128, 256 or 512 bytes, this one " + std::to_string(n);
    return false;
  }
  if (bytes.size() < 128) {
    *error = "the dump holds " + std::to_string(bytes.size()) + " bytes; an SPD image has at least 128";
    return false;
  }
  bytes.resize(512, 0xFF);
  image->assign(bytes.begin(), bytes.begin() + 256);
  return true;
}
