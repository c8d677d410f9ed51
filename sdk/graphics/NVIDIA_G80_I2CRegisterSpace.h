// The I2C buses of NVIDIA G80 and later chips, driven bit by bit through
// the chip's GPIO line registers in BAR 0 (one dword per port at 0xE138 +
// 24 * port: bit 0 SCL, bit 1 SDA, 1 = released high; bit 2 always set on
// writes; reads sense the lines in the same bits; as in the Linux nouveau
// driver's NV50 I2C pads). Timing comes from busy delays of the processor
// identification instruction, never from a timer.
#pragma once

#include <cstdint>

#include "sdk/graphics/CI2CRegisterSpace.h"

class NVIDIA_G80_I2CRegisterSpace : public CI2CRegisterSpace {
 public:
  static constexpr uint32_t kLineBase = 0xE138;
  static constexpr int kPorts = 4;
  static constexpr int kShortDelay = 10;
  static constexpr int kLongDelay = 50;

  // `window` is the adapter's register window (PCI BAR 0).
  explicit NVIDIA_G80_I2CRegisterSpace(CIOSpace* window);

  int ReadByte(int port, int address, uint8_t reg, uint8_t* value) override;
  int WriteByte(int port, int address, uint8_t reg, uint8_t value) override;
  int ReadWord(int port, int address, uint8_t reg, uint16_t* value) override;
  int WriteWord(int port, int address, uint8_t reg, uint16_t value) override;
  // A register address of two bytes (high, then low) and one data byte.
  int ReadWide(int port, int address, uint8_t high, uint8_t low, uint8_t* first, uint8_t* second) override;
  int WriteWide(int port, int address, uint8_t high, uint8_t low, uint8_t value, int flag) override;
  // Mode 0 unlocks the chip's extended CRT registers (CR1F = 0x57), mode 1
  // locks them again (0x99); byte writes to the VGA CRTC index and data
  // ports in BAR 0. Other modes write nothing. Always 1.
  int SetAccessMode(int mode) override;

  uint32_t portOffsets[kPorts] = {0, 24, 48, 72};

 private:
  // Bit-level steps on the current port.
  bool Lines(uint32_t* value);
  void Drive(uint32_t value);
  void Delay(int units);
  bool RaiseClock(int sda, int polls);
  bool Start();
  void Stop();
  void SendBit(int bit);
  int ReadBit();
  bool SendByte(uint8_t value);
  uint8_t ReceiveByte(bool last);
  bool SendAddress(uint8_t addressByte);
  // Address for writing, then the register byte(s); false after a Stop.
  bool Begin(int port, int address, const uint8_t* regs, int count);

  uint32_t line_ = kLineBase;
};
