// The thermal sensor on a memory module: a JEDEC JC-42.4 temperature sensor
// at 0x18 | slot beside the module's SPD EEPROM (the kernel's jc42 driver
// reads the same registers). The SPD reader finds it once; this monitor
// reads its ambient temperature again on every monitoring refresh.
#pragma once

#include <cstdint>

#include "sdk/monitor/CHardwareMonitor.h"

class CSMBusDevice;
class CSensor;

class CMemoryModuleHardwareMonitor : public CHardwareMonitor {
 public:
  // JC-42.4 registers: ambient temperature and manufacturer id.
  static constexpr uint8_t kAmbientRegister = 5;
  static constexpr uint8_t kManufacturerRegister = 6;

  // `device` and `sensor` belong to the facade; `parent` is the module.
  CMemoryModuleHardwareMonitor(CSMBusDevice* device, CSensor* sensor, CDevice* parent);

  // Reads the ambient register into the sensor; a failed read leaves the
  // last reading as it was. 1 when read.
  int Update() override;

  // A 16-bit register; the sensor sends its high byte first.
  static bool ReadRegister(CSMBusDevice* device, uint8_t reg, uint16_t* value);
  // Degrees C of an ambient reading: 0.0625 degC steps in bits 11:0 with
  // the sign in bit 12 (bits 15:13 are alarm flags).
  static float Celsius(uint16_t value);
  // Stores an ambient reading in `sensor` (raw bits 12:0 and degrees).
  static void Store(CSensor* sensor, uint16_t value);

  CSMBusDevice* device;
  CSensor* sensor;
};
