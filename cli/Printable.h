// Text from hardware (firmware strings, chip names) shown on a terminal:
// control characters, C1 controls and bytes that are not UTF-8 are shown as
// escapes, so a string can neither drive the terminal nor garble the line.
#pragma once

#include <cstdio>
#include <string>

#include "cli/Json.h"

namespace cli {

inline std::string Printable(const std::string& s) {
  std::string r;
  char b[8];
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F) {
      r += static_cast<char>(c);
      continue;
    }
    const size_t n = c >= 0x80 ? Json::Utf8Length(s, i) : 0;
    // U+0080..U+009F (C2 80..C2 9F) are controls too.
    if (n > 0 && !(n == 2 && c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0)) {
      r.append(s, i, n);
      i += n - 1;
      continue;
    }
    std::snprintf(b, sizeof(b), "\\x%02X", c);
    r += b;
  }
  return r;
}

inline std::string Printable(const char* s) { return Printable(std::string(s ? s : "")); }

}  // namespace cli
