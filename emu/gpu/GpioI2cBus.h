// An I2C bus driven by software through two open-drain GPIO lines, seen
// from the devices' side: the levels the master drives go in, the wired-AND
// levels with the devices' outputs come out. The devices follow the bus at
// bit level (NXP UM10204, the I2C-bus manual, sections 3.1.4 to 3.1.10):
// START and STOP while SCL is high, data sampled on the rising clock edge
// and changed while SCL is low, an acknowledge as the ninth bit.
//
// Devices are SMBus slaves seen byte-register-wise: after the address for
// writing the first byte sets the register pointer (the device's SendByte,
// which may refuse it) and every further byte is written to the pointer
// (which then advances); after a (repeated) START with the address for
// reading, bytes are read from the pointer on. A device attached at address
// 0 answers the general call (its second byte is taken like a pointer);
// ten-bit addresses are not acknowledged.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class GpioI2cBus {
 public:
  void Attach(uint8_t address, std::shared_ptr<SmbusSlave> device) { devices_[address] = std::move(device); }
  SmbusSlave* Device(uint8_t address) const;

  // The master drives its lines (true = released high).
  void Drive(bool scl, bool sda);
  // The lines as everyone on the bus sees them.
  bool Scl() const { return masterScl_; }
  bool Sda() const { return masterSda_ && deviceSda_; }

  // Transactions completed (a STOP after at least one acknowledged address).
  int Transactions() const { return transactions_; }
  // Every byte on the wire since the last START (addresses included), for
  // tests that check what the master sent.
  const std::vector<uint8_t>& WireBytes() const { return wire_; }
  // Every byte seen since the bus was made.
  const std::vector<uint8_t>& AllBytes() const { return all_; }

 private:
  enum class State { Idle, Address, AddressAck, WriteByte, WriteAck, ReadByte, ReadAck, Ignore };
  void Rising();
  void Falling();
  void LoadReadByte();

  std::map<uint8_t, std::shared_ptr<SmbusSlave>> devices_;
  bool masterScl_ = true, masterSda_ = true, deviceSda_ = true;
  State state_ = State::Idle;
  int bits_ = 0;
  uint8_t shift_ = 0;
  SmbusSlave* selected_ = nullptr;
  bool reading_ = false;
  bool pointerSet_ = false;
  bool masterAcked_ = false;
  bool sawAddress_ = false;
  uint8_t pointer_ = 0;
  int transactions_ = 0;
  std::vector<uint8_t> wire_, all_;
};

}  // namespace emu
