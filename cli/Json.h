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

  static std::string Quote(const std::string& s) {
    std::string r = "\"";
    for (unsigned char c : s) {
      switch (c) {
        case '"': r += "\\\""; break;
        case '\\': r += "\\\\"; break;
        case '\n': r += "\\n"; break;
        case '\r': r += "\\r"; break;
        case '\t': r += "\\t"; break;
        default:
          if (c < 0x20) {
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
