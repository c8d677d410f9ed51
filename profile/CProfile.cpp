#include "profile/CProfile.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"

namespace {

constexpr const char* kHeader = "[Brenmor Torvik Tuning Utility]";
// Lines are read in pieces of at most this many characters.
constexpr size_t kLineLimit = 255;

// A cursor over one line with the conversions of scanf: "%d" and "%X" skip
// white space and take an optional sign; "%f" also takes exponents, "inf"
// and "nan". Numbers are read the same in every locale.
class Scan {
 public:
  explicit Scan(const std::string& text) : p_(text.c_str()), end_(text.c_str() + std::strlen(text.c_str())) {}

  bool Literal(const char* s) {
    const size_t n = std::strlen(s);
    if (static_cast<size_t>(end_ - p_) < n || std::memcmp(p_, s, n) != 0) return false;
    p_ += n;
    return true;
  }
  // A decimal int; values up to 2^32 - 1 keep their 32 bits, as the C
  // library stores them.
  bool Int(int32_t* out) { return Integer(10, out); }
  bool Hex(int32_t* out) {
    SkipSpace();
    const char* save = p_;
    if (p_ + 1 < end_ && p_[0] == '0' && (p_[1] == 'x' || p_[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p_[2])))
      p_ += 2;
    if (!Integer(16, out)) {
      p_ = save;
      return false;
    }
    return true;
  }
  // Out-of-range values read as infinity, which no range accepts.
  bool Float(float* out) {
    SkipSpace();
    const char* q = p_;
    if (q < end_ && *q == '+' && ++q < end_ && *q == '-') return false;
    double v = 0;
    auto [next, ec] = std::from_chars(q, end_, v, std::chars_format::general);
    if (ec == std::errc::invalid_argument) return false;
    p_ = next;
    *out = ec == std::errc::result_out_of_range ? HUGE_VALF : static_cast<float>(v);
    return true;
  }

 private:
  void SkipSpace() {
    while (p_ < end_ && std::isspace(static_cast<unsigned char>(*p_))) ++p_;
  }
  bool Integer(int base, int32_t* out) {
    SkipSpace();
    bool negative = false;
    if (p_ < end_ && (*p_ == '+' || *p_ == '-')) negative = *p_++ == '-';
    uint64_t v = 0;
    auto [next, ec] = std::from_chars(p_, end_, v, base);
    if (ec == std::errc::invalid_argument) return false;
    p_ = next;
    if (ec == std::errc::result_out_of_range || v > 0xFFFFFFFFull) v = 0xFFFFFFFFull;
    uint32_t bits = static_cast<uint32_t>(v);
    if (negative) bits = 0u - bits;
    *out = static_cast<int32_t>(bits);
    return true;
  }

  const char* p_;
  const char* end_;
};

bool Contains(const std::string& line, const char* what) { return line.find(what) != std::string::npos; }

std::string Mhz(float v) {
  char b[64];
  auto [end, ec] = std::to_chars(b, b + sizeof(b), static_cast<double>(v), std::chars_format::fixed, 6);
  return ec == std::errc() ? std::string(b, end) : std::string("-1.000000");
}

std::string Line(const char* format, int a, int32_t b) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), format, a, b);
  return buffer;
}

// The pieces the loader reads: each line cut at a NUL and into runs of at
// most kLineLimit characters.
std::vector<std::string> Pieces(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (std::string line : lines) {
    line = line.c_str();
    if (line.empty()) out.push_back(line);
    for (size_t at = 0; at < line.size(); at += kLineLimit) out.push_back(line.substr(at, kLineLimit));
  }
  return out;
}

}  // namespace

CProfile::CProfile() : turbo(kUnset), boardId(kUnset), hasBoardId(false) {
  for (int32_t& v : voltage) v = kUnset;
  for (int32_t& v : voltageCpu1) v = kUnset;
  for (float& v : vco) v = kUnsetMHz;
  for (int32_t& v : ratio) v = kUnset;
}

CProfile::~CProfile() = default;

std::vector<std::string> ProfileLines(const CProfile& p) {
  char buffer[64];
  std::vector<std::string> lines = {kHeader};
  std::snprintf(buffer, sizeof(buffer), "Version=%X", CProfile::kFileVersion);
  lines.push_back(buffer);
  if (p.hasBoardId) {
    std::snprintf(buffer, sizeof(buffer), "BOARD_ID=0x%08X", static_cast<uint32_t>(p.boardId));
    lines.push_back(buffer);
  }
  for (int i = 0; i < CProfile::kVcoSlots; ++i)
    if (p.vco[i] != CProfile::kUnsetMHz) lines.push_back("VCO_" + std::to_string(i) + "=" + Mhz(p.vco[i]));
  for (int i = 0; i < CProfile::kVoltageSlots; ++i)
    if (p.voltage[i] != CProfile::kUnset) lines.push_back(Line("VOLTAGE_%d=%d", i, p.voltage[i]));
  for (int i = 0; i < CProfile::kVoltageSlots; ++i)
    if (p.voltageCpu1[i] != CProfile::kUnset) lines.push_back(Line("CPU1_VOLTAGE_%d=%d", i, p.voltageCpu1[i]));
  if (p.turbo != CProfile::kUnset) {
    std::snprintf(buffer, sizeof(buffer), "TURBO=%d", p.turbo);
    lines.push_back(buffer);
  }
  for (int k = 0; k < CProfile::kRatioSlots; ++k)
    if (p.ratio[k] != CProfile::kUnset) lines.push_back(Line("XE_CORE_%dX=%d", k + 1, p.ratio[k]));
  return lines;
}

bool ParseProfileLines(const std::vector<std::string>& fileLines, CProfile* p) {
  const std::vector<std::string> lines = Pieces(fileLines);
  if (lines.empty() || !Contains(lines[0], kHeader)) return false;
  if (lines.size() < 2 || !Contains(lines[1], "Version")) return false;
  {
    // A second line that does not parse as "Version=<hex>" is accepted.
    Scan s(lines[1]);
    int32_t version = 0;
    if (s.Literal("Version=") && s.Hex(&version) && static_cast<uint32_t>(version) != CProfile::kFileVersion)
      return false;
  }
  for (size_t n = 2; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    int32_t index = 0, value = 0;
    float mhz = 0;
    if (Contains(line, "VOLTAGE_")) {
      Scan s(line);
      if (s.Literal("VOLTAGE_") && s.Int(&index) && s.Literal("=") && s.Int(&value)) {
        if (index >= 0 && index < CProfile::kVoltageSlots) p->voltage[index] = value;
      } else {
        Scan cpu1(line);
        if (cpu1.Literal("CPU1_VOLTAGE_") && cpu1.Int(&index) && cpu1.Literal("=") && cpu1.Int(&value) &&
            index >= 0 && index < CProfile::kVoltageSlots)
          p->voltageCpu1[index] = value;
      }
    } else if (Contains(line, "VCO_")) {
      Scan s(line);
      if (s.Literal("VCO_") && s.Int(&index) && s.Literal("=") && s.Float(&mhz) && index >= 0 &&
          index < CProfile::kLoadedVcos)
        p->vco[index] = mhz;
    }
    if (Contains(line, "XE_CORE_")) {
      Scan s(line);
      if (s.Literal("XE_CORE_") && s.Int(&index) && s.Literal("X=") && s.Int(&value) && index >= 1 &&
          index <= CProfile::kRatioSlots)
        p->ratio[index - 1] = value;
    }
    if (Contains(line, "TURBO")) {
      Scan s(line);
      if (s.Literal("TURBO=") && s.Int(&value)) p->turbo = value != 0 ? 1 : 0;
    }
    if (Contains(line, "BOARD_ID")) {
      Scan s(line);
      if (s.Literal("BOARD_ID=") && s.Hex(&value)) {
        p->boardId = value;
        p->hasBoardId = true;
      }
    }
  }
  return true;
}

std::string EncodeProfile(const CProfile& profile) { return plat::EncodeUtf16Lines(ProfileLines(profile)); }

int LoadProfile(const std::string& path, CProfile& profile) {
  std::vector<std::string> lines;
  std::string error;
  if (!plat::ReadConfigLines(path, &lines, &error)) return 0;
  return ParseProfileLines(lines, &profile) ? 1 : 0;
}

int WriteProfileFile(const std::string& path, const CProfile& profile, std::string* error) {
  return plat::SaveConfigFile(path, EncodeProfile(profile), error) ? 1 : 0;
}
