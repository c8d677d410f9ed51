// The configuration side of a Super I/O chip: an index/data port pair
// (0x2E/0x2F or 0x4E/0x4F) that only opens after the maker's key sequence
// has been written to the index port.
//
//   Winbond, Fintek  enter 0x87 0x87            exit 0xAA to the index port
//   ITE              enter 0x87 0x01 0x55 0x55  (0x55 0xAA at 0x4E)
//                    exit: write bit 1 of configuration register 0x02
//   SMSC             enter 0x55                 exit 0xAA to the index port
//   National Semi.   no key: always open
//
// A locked chip reads 0xFF on both ports and ignores data writes. Once open
// it follows the ISA Plug and Play layout the makers share: 0x07 selects the
// logical device; 0x00-0x2F are global (0x20-0x2F identify the chip and are
// read-only); 0x30-0xFF belong to the selected logical device (0x30 bit 0
// activate, 0x60/0x61 base address high/low, 0x70 IRQ). Undefined
// registers and absent logical devices read 0x00.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "emu/Devices.h"

namespace emu {

enum class SuperIoMaker { Winbond, Fintek, Ite, Smsc, NationalSemi };

class SuperIoChip : public PortDevice {
 public:
  static constexpr uint16_t kPorts = 2;
  static constexpr uint8_t kLdnSelect = 0x07;
  static constexpr uint8_t kActivate = 0x30, kBaseHigh = 0x60, kBaseLow = 0x61, kIrq = 0x70;

  SuperIoChip(SuperIoMaker maker, uint16_t configPort);

  SuperIoMaker Maker() const { return maker_; }
  uint16_t ConfigPort() const { return configPort_; }
  bool Unlocked() const { return unlocked_; }

  // Chip set-up (no key needed).
  void SetGlobal(uint8_t reg, uint8_t value) {
    if (reg < sizeof(global_)) global_[reg] = value;
  }
  void AddLogicalDevice(uint8_t ldn, uint16_t base, uint8_t irq, bool active);
  void SetDeviceRegister(uint8_t ldn, uint8_t reg, uint8_t value) { Device(ldn)[reg] = value; }
  uint8_t DeviceRegister(uint8_t ldn, uint8_t reg) const;
  // Where a logical device's block is decoded (monitor models follow it).
  uint16_t DeviceBase(uint8_t ldn) const;
  bool DeviceActive(uint8_t ldn) const { return DeviceRegister(ldn, kActivate) & 1; }

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

 private:
  void IndexWrite(uint8_t value);
  uint8_t ReadConfig(uint8_t reg) const;
  void WriteConfig(uint8_t reg, uint8_t value);
  std::vector<uint8_t>& Device(uint8_t ldn);

  SuperIoMaker maker_;
  uint16_t configPort_;
  std::vector<uint8_t> key_;
  size_t keyProgress_ = 0;
  bool unlocked_ = false;
  uint8_t index_ = 0;
  uint8_t ldn_ = 0;
  uint8_t global_[0x30] = {};
  std::map<uint8_t, std::vector<uint8_t>> devices_;  // 256 registers each
};

}  // namespace emu
