// A profile: the board's tuning state (clock generator frequencies, the
// setting of every voltage-controller rail, the processor's turbo switch
// and turbo ratio limits) as one record, and its text file.
//
// The file is UTF-16 LE text with a byte-order mark and CRLF line ends:
//   [Brenmor Torvik Tuning Utility]
//   Version=1072
//   BOARD_ID=0x4FC5613E          board the profile was saved on
//   VCO_<i>=<MHz, six decimals>   board clock generator i (0..3 are loaded)
//   VOLTAGE_<c*10+j>=<position | below << 30>   row j of controller c
//   CPU1_VOLTAGE_<c*10+j>=...     dual-processor boards: the second
//                                 processor's branch of a processor row
//   TURBO=<1 on, 0 off>
//   XE_CORE_<n>X=<ratio with n cores active>
// Readers of older files need neither BOARD_ID nor CPU1_VOLTAGE_; they
// ignore both lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CProfile {
 public:
  static constexpr int kVoltageSlots = 128;
  static constexpr int kVcoSlots = 32;
  static constexpr int kLoadedVcos = 4;  // only VCO_0 .. VCO_3 are read
  static constexpr int kRatioSlots = 6;
  static constexpr uint32_t kFileVersion = 0x1072;
  static constexpr int32_t kUnset = -1;
  static constexpr float kUnsetMHz = -1.0f;
  // Bits 0-29 of a rail slot: the position (steps from the base); bits
  // 30-31: direction flags (1 = below the base).
  static constexpr int32_t kPositionMask = 0x3FFFFFFF;
  static constexpr int kDirectionShift = 30;

  CProfile();
  virtual ~CProfile();

  // Rail setting per voltage index c * 10 + j.
  int32_t voltage[kVoltageSlots];
  // The second processor's branch on the dual-processor boards.
  int32_t voltageCpu1[kVoltageSlots];
  // Frequency in MHz per board clock generator.
  float vco[kVcoSlots];
  // 1 turbo on, 0 off.
  int32_t turbo;
  // ratio[k]: turbo ratio limit with k + 1 cores active.
  int32_t ratio[kRatioSlots];
  // Board id of the board it was saved on (-1: not recorded).
  int32_t boardId;
  bool hasBoardId;
};

// The file's lines in the writer's order.
std::vector<std::string> ProfileLines(const CProfile& profile);
// Reads lines as the loader does; false (the profile untouched past what
// was read) for a wrong first line, no "Version" in the second, or a
// version other than 0x1072.
bool ParseProfileLines(const std::vector<std::string>& lines, CProfile* profile);

// The file bytes of a profile.
std::string EncodeProfile(const CProfile& profile);
// 1 when the file at `path` was read and accepted into `profile`, else 0.
int LoadProfile(const std::string& path, CProfile& profile);
// Creates the profile's directory when missing and replaces the file at
// `path` through a temporary file; 1 on success, else 0 with `error` set.
int WriteProfileFile(const std::string& path, const CProfile& profile, std::string* error);
