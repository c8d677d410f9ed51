#include "platform/Utf16Text.h"

#include <cstdint>

namespace plat {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void PutUnit(std::string& out, char16_t u) {
  out.push_back(static_cast<char>(u & 0xFF));
  out.push_back(static_cast<char>(u >> 8));
}

void PutUtf16(std::string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    PutUnit(out, static_cast<char16_t>(0xD800 + (c >> 10)));
    PutUnit(out, static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    PutUnit(out, static_cast<char16_t>(c));
  }
}

void PutUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The next code point of UTF-8 text at `i`; malformed sequences give one
// replacement character per byte.
char32_t NextUtf8(const std::string& s, size_t* i) {
  const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t lead = b(*i);
  int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || *i + extra >= s.size()) {
    ++*i;
    return kReplacement;
  }
  char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    if ((b(*i + k) & 0xC0) != 0x80) {
      ++*i;
      return kReplacement;
    }
    c = c << 6 | (b(*i + k) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++*i;
    return kReplacement;
  }
  *i += extra + 1;
  return c;
}

void EndLine(std::vector<std::string>& lines, std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  lines.push_back(std::move(line));
  line.clear();
}

}  // namespace

std::string EncodeUtf16Lines(const std::vector<std::string>& lines) {
  std::string out;
  PutUnit(out, 0xFEFF);
  for (const std::string& line : lines) {
    for (size_t i = 0; i < line.size();) PutUtf16(out, NextUtf8(line, &i));
    PutUnit(out, u'\r');
    PutUnit(out, u'\n');
  }
  return out;
}

std::vector<std::string> DecodeUtf16Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
  if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
    const size_t units = (bytes.size() - 2) / 2;
    const auto unit = [&](size_t k) { return static_cast<char16_t>(byte(2 + 2 * k) | byte(3 + 2 * k) << 8); };
    for (size_t k = 0; k < units; ++k) {
      char32_t c = unit(k);
      if (c >= 0xD800 && c <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
        ++k;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        c = kReplacement;
      }
      if (c == U'\n') EndLine(lines, line);
      else PutUtf8(line, c);
    }
    // A dangling odd byte at the end is a damaged character, not nothing.
    if ((bytes.size() - 2) % 2 != 0) PutUtf8(line, kReplacement);
  } else {
    const size_t start = bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF ? 3 : 0;
    for (size_t k = start; k < bytes.size(); ++k) {
      if (bytes[k] == '\n') EndLine(lines, line);
      else line.push_back(bytes[k]);
    }
  }
  if (!line.empty()) EndLine(lines, line);
  return lines;
}

}  // namespace plat
