// A JEDEC JC-42.4 (TSE2002) temperature sensor on a memory module, at
// 0x18-0x1F beside the module's SPD EEPROM. Its registers are 16 bits,
// sent high byte first (as the kernel's jc42 driver reads them with
// swapped word reads): 0 capability, 1 configuration, 2-4 alarm limits,
// 5 temperature (0.0625 degC steps in bits 12:0, two's complement, alarm
// flags in 15:13), 6 manufacturer id, 7 device id and revision.
#pragma once

#include <array>
#include <cstdint>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class Jc42ThermalSensor : public SmbusSlave {
 public:
  // Manufacturer id 0x0054 and device 0x2000 (one of the parts the JC-42.4
  // list names).
  explicit Jc42ThermalSensor(double celsius = 38.5, uint16_t manufacturer = 0x0054, uint16_t device = 0x2000);

  void SetCelsius(double celsius);

  // A byte read returns the register's high byte.
  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  bool ReadWordData(uint8_t command, uint16_t* value) override;
  bool WriteWordData(uint8_t command, uint16_t value) override;

 private:
  std::array<uint16_t, 8> regs_{};
};

}  // namespace emu
