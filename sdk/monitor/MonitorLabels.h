// Label-table rows that name, order and scale a monitoring chip's channels
// for one board, and the kind codes other parts look sensors up by.
//
// A sensor key: channel in bits 0-7, class bit (0x100 voltage, 0x200
// temperature, 0x400 fan) in bits 8-23, kind code in bits 24-29, processor
// index in bits 30-31. Tables end with a row whose key is kLabelEnd; row
// order is display order.
#pragma once

#include <cstdint>

inline constexpr uint32_t kLabelEnd = 0xFFFFFFFFu;
inline constexpr uint32_t kSensorKeyMask = 0x00FFFFFFu;

// Voltage kind codes.
enum VoltageKind : uint32_t {
  VKIND_NONE = 0x00,
  VKIND_VCORE = 0x01,
  VKIND_3V3 = 0x02,
  VKIND_5V = 0x03,
  VKIND_12V = 0x04,
  VKIND_MINUS_5V = 0x05,
  VKIND_MINUS_12V = 0x06,
  VKIND_5VSB = 0x07,
  VKIND_DRAM = 0x08,
  VKIND_VTT = 0x09,
  VKIND_IOH_CORE = 0x0A,
  VKIND_IOH_PLL = 0x0B,
  VKIND_PLL = 0x0C,
};
// Temperature and fan kind codes.
enum TemperatureKind : uint32_t { TKIND_NONE = 0x00, TKIND_CPU = 0x01, TKIND_VREG = 0x02 };
enum FanKind : uint32_t { FKIND_NONE = 0x00, FKIND_CPU = 0x01 };

constexpr uint32_t SensorKind(uint32_t key) { return (key >> 24) & 0x3F; }
constexpr uint32_t SensorProcessor(uint32_t key) { return key >> 30; }

// Voltage rules (x is the pin voltage, or the raw reading):
//   1 x*a/b   2 x*(a+b)/b   3 (x - c*R)/(1 - c), c = a/(b+a), R negative-rail reference   4 x*a + b
struct VoltageLabel {
  const char* label;
  uint32_t key;
  int rule;
  float a;
  float b;
};
// Temperature rules: 1 signed byte + offset; 2 half degrees (9 bits); 3 raw + offset; 4 raw;
// 5 quarter degrees above -64 (ten bits) + offset.
struct TemperatureLabel {
  const char* label;
  uint32_t key;
  int rule;
};
// Fan rules: 1 fan constant / (count * pulses per revolution); 2 raw is rpm.
struct FanLabel {
  const char* label;
  uint32_t key;
  int rule;
};
