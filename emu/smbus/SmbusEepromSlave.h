// A 256-byte serial EEPROM like the 24C02 / 34C02 that holds a memory
// module's SPD data. One internal address pointer: byte-data accesses set it
// to the command byte and advance it after each byte (sequential read),
// receive byte continues from it, and writes are page writes that wrap
// inside a 16-byte page (34C02 datasheet, "Page Write").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class SmbusEepromSlave : public SmbusSlave {
 public:
  static constexpr unsigned kSize = 256;
  static constexpr unsigned kPageSize = 16;

  SmbusEepromSlave() { memory_.fill(0xFF); }
  explicit SmbusEepromSlave(const std::vector<uint8_t>& contents);

  // With write protection the EEPROM acknowledges writes but keeps its data.
  bool writeProtected = false;

  uint8_t Byte(uint8_t offset) const { return memory_[offset]; }
  void SetByte(uint8_t offset, uint8_t value) { memory_[offset] = value; }

  bool ReceiveByte(uint8_t* value) override;
  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  bool WriteWordData(uint8_t command, uint16_t value) override;
  // A block read is a sequential read: the byte at `command` comes out as
  // the count, the following bytes as data.
  bool ReadBlockData(uint8_t command, std::vector<uint8_t>* bytes) override;
  // A block write is a page write of the count byte and the data.
  bool WriteBlockData(uint8_t command, const std::vector<uint8_t>& data) override;

 private:
  void PageWrite(uint8_t start, const std::vector<uint8_t>& bytes);

  std::array<uint8_t, kSize> memory_;
};

}  // namespace emu
