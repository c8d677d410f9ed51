// NXP PCA9545A four-channel I2C switch as an SMBus slave (data sheet
// section 7.3): one control register; bits 0..3 connect downstream channels
// 0..3. Every byte the master writes lands in it, the last one counting, so
// a write-byte-data stores its data byte and the command byte of a read
// clears it before the read returns it. It powers up with no channel
// connected; boards whose firmware selects one preset it.
#pragma once

#include <cstdint>
#include <memory>

#include "emu/smbus/SmbusSlave.h"

namespace emu {

class SmbusBus;

class Pca9545a : public SmbusSlave {
 public:
  explicit Pca9545a(uint8_t control = 0) : control_(control & 0x0F) {}

  bool ReceiveByte(uint8_t* value) override;
  bool SendByte(uint8_t value) override;
  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;

  uint8_t Control() const { return control_; }
  // The lowest connected channel, or -1: what the bus segments follow.
  int ConnectedChannel() const;
  // Makes `bus`'s switched segments follow this switch.
  static void Drive(SmbusBus& bus, const std::shared_ptr<Pca9545a>& sw);

 private:
  uint8_t control_;
};

}  // namespace emu
