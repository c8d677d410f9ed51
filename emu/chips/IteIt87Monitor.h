// The environment controller of the ITE IT8718F (IT8718F data sheet 8.3,
// "Environment Controller Registers"), reached through its address/data
// pair at logical device 4's base + 5 / + 6:
//
//   0x0B fan divisor, 0x0C bits 0-2 16-bit counters for fans 1-3, bits 4-5
//   enable fans 4-5; fan counts low 0x0D-0x0F, 0x80, 0x82 and high 0x18-
//   0x1A, 0x81, 0x83 (rpm = 1350000 / (2 * count)); PWM 0x15-0x17 (bit 7
//   automatic, else duty in 7 bits); voltages 0x20-0x28 at 16 mV per count;
//   temperatures 0x29-0x2B in degrees C (open input 0x80); 0x58 vendor
//   0x90, 0x5B chip 0x12. A stopped fan counts 0xFFFF.
//
// Register 0x4F reads 0x00 and 0x4C/0x4D 0x00: nothing a Winbond-family
// probe takes for its vendor id.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "emu/Devices.h"
#include "emu/chips/BoardEnvironment.h"

namespace emu {

class EmulatedMachine;
class TimeBase;
struct RegisterDump;

class IteIt87Monitor : public PortDevice {
 public:
  static constexpr uint16_t kIndexOffset = 5;
  static constexpr double kVoltStep = 0.016;

  explicit IteIt87Monitor(TimeBase& time);

  std::array<Waveform, 9> pins;
  std::array<Waveform, 3> temperatures;
  std::array<FanWaveform, 5> fans;

  uint8_t Register(uint8_t reg) const { return Read(reg); }
  // Replays a register dump: every register answers with the dump's byte,
  // and one the dump leaves out reads 0xFF, as nothing driving the bus.
  bool LoadDump(const RegisterDump& dump, std::string* error);

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

  static std::shared_ptr<IteIt87Monitor> Attach(EmulatedMachine& m, uint16_t monitorBase);

 private:
  uint8_t Read(uint8_t reg) const;
  TimeBase& time_;
  uint8_t index_ = 0;
  std::array<uint8_t, 256> regs_{};
  std::array<int, 256> frozen_;
};

}  // namespace emu
