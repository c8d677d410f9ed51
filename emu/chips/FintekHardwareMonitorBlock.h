// The hardware-monitor block of the Fintek F71882F and F71808 families as
// seen through its index/data pair at logical device 4's base + 5 / + 6
// (F71882F data sheet 7.4, F71808E data sheet 7.5): 0x20-0x28 voltages at
// 8 mV per count, 0x72/0x74/0x76 temperatures in degrees C, fan counts
// 1500000 / rpm at 0xA0/0xB0/0xC0/0xD0 (high) and +1 (low), PWM duty at
// 0xA3/0xB3/0xC3/0xD3. A stopped fan reads 0x0FFF. Other registers keep
// what is written (0x0A temperature-mode bits, 0x96 fan control).
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

class FintekHardwareMonitorBlock : public PortDevice {
 public:
  static constexpr uint16_t kIndexOffset = 5;  // from the logical device base

  FintekHardwareMonitorBlock(TimeBase& time, bool fourthFan);

  std::array<Waveform, 9> pins;          // volts at the pin
  std::array<Waveform, 3> temperatures;  // degrees C; open reads 0x80
  std::array<FanWaveform, 4> fans;

  void SetRegister(uint8_t reg, uint8_t value) { regs_[reg] = value; }
  uint8_t Register(uint8_t reg) const { return regs_[reg]; }
  // Replays a register dump: every register answers with the dump's byte,
  // and one the dump leaves out reads 0xFF, as nothing driving the bus.
  bool LoadDump(const RegisterDump& dump, std::string* error);

  bool PortRead(uint16_t offset, int width, uint32_t* value) override;
  bool PortWrite(uint16_t offset, int width, uint32_t value) override;

  // Attaches a block at base + 5 of the Super I/O's monitor device base.
  static std::shared_ptr<FintekHardwareMonitorBlock> Attach(EmulatedMachine& m, uint16_t monitorBase,
                                                            bool fourthFan);

 private:
  uint8_t Read(uint8_t reg) const;
  TimeBase& time_;
  bool fourthFan_;
  uint8_t index_ = 0;
  std::array<uint8_t, 256> regs_{};
  std::array<int, 256> frozen_;
};

}  // namespace emu
