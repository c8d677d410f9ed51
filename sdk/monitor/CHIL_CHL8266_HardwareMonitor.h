// CHIL CHL8266 digital multi-phase controller (PMBus) on a graphics card:
// input and output voltage, output current, temperature and output power,
// each a PMBus LINEAR11 word (11-bit mantissa, 5-bit two's-complement
// exponent).
#pragma once

#include <cstdint>

#include "sdk/monitor/CHardwareMonitor.h"

class CHIL_CHL8266_HardwareMonitor : public CHardwareMonitor {
 public:
  static constexpr int kMonitorId = static_cast<int>(0xC0018266u);

  CHIL_CHL8266_HardwareMonitor();
  int CreateSensors() override;
  int Update() override;

  // m × 2^E with m bits 10:0 (unsigned) and E bits 15:11 (signed).
  static double Linear11(uint16_t word);

  CSensor* inputVoltage = nullptr;
  CSensor* outputVoltage = nullptr;
  CSensor* temperature = nullptr;
  CSensor* current = nullptr;
  CSensor* power = nullptr;

 private:
  bool ReadAll();
};
