// One of a graphics card's I2C buses as the card's kernel driver offers it
// (an i2c-dev adapter running the bit-banging algorithm itself): whole SMBus
// byte and word transactions on the devices of the bus, without going
// through the line registers.
#pragma once

#include <string>

#include "emu/gpu/GpioI2cBus.h"
#include "platform/SmbusAdapter.h"

namespace emu {

class DriverI2cAdapter : public plat::SmbusAdapter {
 public:
  DriverI2cAdapter(GpioI2cBus& bus, std::string route) : bus_(bus), route_(std::move(route)) {}

  std::string Route() const override { return route_; }
  bool ReadByte(uint8_t slave, uint8_t command, uint8_t* value) override;
  bool ReadWord(uint8_t slave, uint8_t command, uint16_t* value) override;
  bool WriteByte(uint8_t slave, uint8_t command, uint8_t value) override;
  bool WriteWord(uint8_t slave, uint8_t command, uint16_t value) override;
  int ReadBlock(uint8_t, uint8_t, uint8_t*) override { return -1; }
  int WriteBlock(uint8_t, uint8_t, const uint8_t*, int) override { return -1; }

  // Transactions the adapter ran (tests).
  int transactions = 0;

 private:
  SmbusSlave* Addressed(uint8_t slave, uint8_t command);

  GpioI2cBus& bus_;
  std::string route_;
};

}  // namespace emu
