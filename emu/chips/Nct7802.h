// Nuvoton NCT7802Y as an SMBus slave (NCT7802Y data sheet section 7, bank
// 0): 0x00 bank select, voltages 0x09 (VCC, 4 mV per count), 0x0A/0x0C/
// 0x0D/0x0E (VCORE, VSEN1-3, 2 mV per count) with their two low bits latched
// into 0x0F when the high byte is read, fan counts (1350000 / rpm, 13 bits)
// 0x10-0x12 with the low five bits latched into 0x13, PWM 0x60-0x62,
// 0xFD vendor 0x50, 0xFE chip 0xC3, 0xFF device 0x21. A stopped fan counts
// 0x1FFF; an unused input reads 0.
//
// Every register the other chip probes read at 0x28-0x2F (0x0D with bit 7 of
// 0x00, 0x3E, 0x4C, 0x4D, 0x4F, 0x58, 0xFE/0xFF) reads something no other
// family claims, as long as VSEN2 (0x0D) stays away from 0xA3 and 0x5C
// (1.304 V and 0.736 V): a Winbond-family probe that finds 0xA3 there with
// bit 7 of 0x00 clear takes the chip for a Winbond.
#pragma once

#include <array>
#include <string>
#include <cstdint>

#include "emu/chips/BoardEnvironment.h"
#include "emu/smbus/SmbusSlave.h"

namespace emu {

class TimeBase;
struct RegisterDump;

class Nct7802 : public SmbusSlave {
 public:
  explicit Nct7802(TimeBase& time);

  // Volts at the input: VCC is the 3.3 V supply itself, the others pins.
  std::array<Waveform, 5> voltages;
  std::array<FanWaveform, 3> fans;
  // Write transactions the chip acknowledged (detection must not make any).
  unsigned writes = 0;

  // Replays a register dump: every register answers with the dump's byte,
  // and one the dump leaves out reads 0xFF, as nothing driving the bus.
  bool LoadDump(const RegisterDump& dump, std::string* error);
  bool ReadByteData(uint8_t command, uint8_t* value) override;
  bool WriteByteData(uint8_t command, uint8_t value) override;
  // A register as last written (PWM outputs 0x60-0x62 among them).
  uint8_t Register(uint8_t reg) const { return regs_[reg]; }

 private:
  TimeBase& time_;
  std::array<uint8_t, 256> regs_{};
  std::array<int, 256> frozen_;
};

}  // namespace emu
