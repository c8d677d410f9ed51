// An SMBus adapter that the operating system's own driver runs: the program
// asks it for whole transactions instead of driving the host's registers,
// so that the kernel serialises them with its other users.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

class SmbusAdapter {
 public:
  virtual ~SmbusAdapter() = default;
  // How it is reached, for listings ("i801_smbus through /dev/i2c-0").
  virtual std::string Route() const = 0;
  // Byte and word data transfers; false when the slave did not answer or
  // the kernel refused (a kernel driver owns that slave, for instance).
  virtual bool ReadByte(uint8_t slave, uint8_t command, uint8_t* value) = 0;
  virtual bool ReadWord(uint8_t slave, uint8_t command, uint16_t* value) = 0;
  virtual bool WriteByte(uint8_t slave, uint8_t command, uint8_t value) = 0;
  virtual bool WriteWord(uint8_t slave, uint8_t command, uint16_t value) = 0;
  // Block transfers of up to 32 bytes: the count moved, or -1.
  virtual int ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) = 0;
  virtual int WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) = 0;
};

}  // namespace plat
