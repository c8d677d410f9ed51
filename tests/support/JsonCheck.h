// A strict JSON well-formedness check (RFC 8259) for the CLI's output,
// including that the text is valid UTF-8. Returns an empty string when the
// text is one JSON value, else what is wrong and where.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>

namespace testsupport {

class JsonCheck {
 public:
  static std::string Check(const std::string& text) {
    JsonCheck c(text);
    c.Space();
    if (!c.Value(0)) return c.Error();
    c.Space();
    if (c.i_ != c.s_.size()) return "trailing text at byte " + std::to_string(c.i_);
    return {};
  }

 private:
  explicit JsonCheck(const std::string& s) : s_(s) {}

  std::string Error() const { return why_ + " at byte " + std::to_string(i_); }
  bool Fail(const char* why) {
    if (why_.empty()) why_ = why;
    return false;
  }
  int Peek() const { return i_ < s_.size() ? static_cast<unsigned char>(s_[i_]) : -1; }
  void Space() {
    while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r') ++i_;
  }
  bool Literal(const char* word) {
    for (const char* p = word; *p; ++p, ++i_)
      if (Peek() != *p) return Fail("bad literal");
    return true;
  }

  bool Value(int depth) {
    if (depth > 64) return Fail("nested too deep");
    switch (Peek()) {
      case '{': return Object(depth);
      case '[': return Array(depth);
      case '"': return String();
      case 't': return Literal("true");
      case 'f': return Literal("false");
      case 'n': return Literal("null");
      default: return Number();
    }
  }
  bool Object(int depth) {
    ++i_;
    Space();
    if (Peek() == '}') return ++i_, true;
    for (;;) {
      Space();
      if (Peek() != '"' || !String()) return Fail("expected a key");
      Space();
      if (Peek() != ':') return Fail("expected ':'");
      ++i_;
      Space();
      if (!Value(depth + 1)) return false;
      Space();
      if (Peek() == ',') {
        ++i_;
        continue;
      }
      if (Peek() == '}') return ++i_, true;
      return Fail("expected ',' or '}'");
    }
  }
  bool Array(int depth) {
    ++i_;
    Space();
    if (Peek() == ']') return ++i_, true;
    for (;;) {
      Space();
      if (!Value(depth + 1)) return false;
      Space();
      if (Peek() == ',') {
        ++i_;
        continue;
      }
      if (Peek() == ']') return ++i_, true;
      return Fail("expected ',' or ']'");
    }
  }
  bool Digits() {
    if (Peek() < '0' || Peek() > '9') return Fail("expected a digit");
    while (Peek() >= '0' && Peek() <= '9') ++i_;
    return true;
  }
  bool Number() {
    if (Peek() == '-') ++i_;
    if (Peek() == '0') {
      ++i_;
    } else if (!Digits()) {
      return Fail("expected a value");
    }
    if (Peek() == '.' && (++i_, !Digits())) return false;
    if (Peek() == 'e' || Peek() == 'E') {
      ++i_;
      if (Peek() == '+' || Peek() == '-') ++i_;
      if (!Digits()) return false;
    }
    return true;
  }
  bool String() {
    ++i_;
    for (;;) {
      const int c = Peek();
      if (c < 0) return Fail("unterminated string");
      if (c == '"') return ++i_, true;
      if (c < 0x20) return Fail("raw control character in a string");
      if (c == '\\') {
        ++i_;
        const int e = Peek();
        if (e == 'u') {
          for (int k = 0; k < 4; ++k) {
            ++i_;
            if (!std::isxdigit(Peek())) return Fail("bad \\u escape");
          }
        } else if (!e || std::string("\"\\/bfnrt").find(static_cast<char>(e)) == std::string::npos) {
          return Fail("bad escape");
        }
        ++i_;
        continue;
      }
      if (c < 0x80) {
        ++i_;
        continue;
      }
      // UTF-8: shortest form, no surrogates, at most U+10FFFF.
      const size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
      if (!n || i_ + n > s_.size()) return Fail("invalid UTF-8");
      for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s_[i_ + k]) & 0xC0) != 0x80) return Fail("invalid UTF-8");
      const int c1 = static_cast<unsigned char>(s_[i_ + 1]);
      if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
          (c == 0xF4 && c1 > 0x8F))
        return Fail("invalid UTF-8");
      i_ += n;
    }
  }

  const std::string& s_;
  size_t i_ = 0;
  std::string why_;
};

}  // namespace testsupport
