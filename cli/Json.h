// A small JSON writer for the listings of torvikctl.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace cli {

class Json {
 public:
  Json& BeginObject() { return Open('{'); }
  Json& EndObject() { return Close('}'); }
  Json& BeginArray() { return Open('['); }
  Json& EndArray() { return Close(']'); }
  Json& Key(const std::string& k) {
    Separate();
    out_ += Quote(k) + ":";
    afterKey_ = true;
    return *this;
  }
  Json& String(const std::string& v) { return Raw(Quote(v)); }
  Json& Number(double v) {
    char b[64];
    std::snprintf(b, sizeof(b), "%.10g", v);
    return Raw(b);
  }
  Json& Int(long long v) { return Raw(std::to_string(v)); }
  Json& Bool(bool v) { return Raw(v ? "true" : "false"); }
  Json& Null() { return Raw("null"); }
  Json& Hex(uint64_t v, int digits = 0) {
    char b[32];
    std::snprintf(b, sizeof(b), "0x%0*llX", digits, static_cast<unsigned long long>(v));
    return String(b);
  }
  const std::string& Text() const { return out_; }

  // Length of the well-formed UTF-8 sequence at s[i] (shortest form, no
  // surrogates, at most U+10FFFF), or 0 when the byte starts none.
  static size_t Utf8Length(const std::string& s, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    if (c < 0x80) return 1;
    size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
      if ((at(i + k) & 0xC0) != 0x80) return 0;
    const unsigned char c1 = at(i + 1);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F))
      return 0;
    return n;
  }

  // A JSON string: always valid UTF-8, whatever bytes firmware or a chip
  // handed us. A byte that starts no well-formed sequence becomes U+FFFD.
  static std::string Quote(const std::string& s) {
    std::string r = "\"";
    for (size_t i = 0; i < s.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      if (c >= 0x80) {
        const size_t n = Utf8Length(s, i);
        if (n == 0) {
          r += "\\ufffd";
        } else {
          r.append(s, i, n);
          i += n - 1;
        }
        continue;
      }
      switch (c) {
        case '"': r += "\\\""; break;
        case '\\': r += "\\\\"; break;
        case '\n': r += "\\n"; break;
        case '\r': r += "\\r"; break;
        case '\t': r += "\\t"; break;
        default:
          if (c < 0x20 || c == 0x7F) {
            char b[8];
            std::snprintf(b, sizeof(b), "\\u%04x", c);
            r += b;
          } else {
            r += static_cast<char>(c);
          }
      }
    }
    return r + "\"";
  }

 private:
  Json& Open(char c) {
    Separate();
    out_ += c;
    first_.push_back(true);
    return *this;
  }
  Json& Close(char c) {
    out_ += c;
    first_.pop_back();
    return *this;
  }
  Json& Raw(const std::string& v) {
    Separate();
    out_ += v;
    return *this;
  }
  void Separate() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_.empty()) {
      if (!first_.back()) out_ += ',';
      first_.back() = false;
    }
  }

  std::string out_;
  std::vector<bool> first_;
  bool afterKey_ = false;
};

}  // namespace cli
