// Analog Devices ADT7473 (dBCool) fan and thermal controller as an SMBus
// slave, from the ADT7473 data sheet's register map:
//   0x21 VCCP, 0x22 VCC (high eight bits of ten; full scale 2.25 V at the
//        ADC behind internal attenuators of 175k/525k and 68k/71k)
//   0x25 remote 1, 0x26 local, 0x27 remote 2 temperatures (high eight bits;
//        offset-64 form unless configuration 5 bit 0 selects two's
//        complement; an open remote diode reads the fault code -64 / -128)
//   0x28-0x2F tachometers 1-4 (period counts of a 90 kHz clock, low byte
//        first; reading the low byte latches the high byte; a stalled fan
//        reads 0xFFFF)
//   0x30-0x32 PWM duty cycles, 0x3D device 0x73, 0x3E vendor 0x41,
//   0x3F revision 0x68 | stepping, 0x40 configuration 1 (monitoring
//        started), 0x76/0x77 extended resolution: reading either latches
//        every value register's ten-bit reading until that register is read.
// Identification registers refuse writes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "emu/chips/BoardEnvironment.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class TimeBase;

class Adt7473 : public SmbusSlave {
 public:
  Adt7473(TimeBase& time, uint8_t stepping);

  // Rail volts at the VCCP and VCC inputs; VCCP may follow another chip's
  // output (the card's core regulator).
  std::function<double()> vccp;
  Waveform vcc = Waveform::Steady(3.3);
  // Remote 1, local, remote 2 (°C); an unconnected remote diode reports a fault.
  std::array<Waveform, 3> temperatures;
  std::array<FanWaveform, 4> fans;
  // Write transactions the chip acknowledged (detection must not make any).
  unsigned writes = 0;

  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  uint8_t Register(uint8_t reg) const { return regs_[reg]; }
  // A setting as the card's BIOS leaves it (no write counted).
  void Set(uint8_t reg, uint8_t value) { regs_[reg] = value; }

 private:
  // Ten-bit readings of in0..in4 and the three temperatures, now.
  std::array<int, 8> Sample() const;
  void Latch();

  TimeBase& time_;
  std::array<uint8_t, 256> regs_{};
  std::array<int, 8> latched_;  // -1: not latched
  int tachHigh_ = -1;
};

}  // namespace emu
