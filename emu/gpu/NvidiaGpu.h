// An NVIDIA graphics chip as the host sees it: a PCI display function whose
// BAR 0 (16 MB of registers) holds the chip's register file (set as data by
// the card: identification, PLLs, memory controller, thermal), the four
// GPIO-driven I2C buses (line registers at 0xE138 + 24 × port: writes set
// SCL in bit 0 and SDA in bit 1, reads sense the lines there; bit 2 is the
// output enable, as nouveau's NV50 pads describe them) and the VGA CRTC
// index and data ports at 0x6013D4/0x6013D5 (byte registers; CR1F takes
// 0x57 to unlock the extended registers and 0x99 to lock them).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "emu/Devices.h"
#include "emu/PciFunction.h"
#include "emu/gpu/GpioI2cBus.h"
#include "emu/gpu/GpuRegisterFile.h"

namespace emu {

class EmulatedMachine;

class NvidiaGpu : public MmioDevice {
 public:
  static constexpr uint32_t kBar0Size = 0x1000000;
  static constexpr uint32_t kLineBase = 0xE138;
  static constexpr uint32_t kLineStride = 24;
  static constexpr uint32_t kCrtcIndex = 0x6013D4;
  static constexpr int kPorts = 4;

  struct Identity {
    uint8_t bus, device;
    uint16_t deviceId;
    uint8_t revision;
    uint16_t subsystemVendor, subsystemDevice;
    uint32_t bar0;
  };

  explicit NvidiaGpu(uint32_t bar0) : bar0_(bar0) {}

  // Puts the display function (PCI Express, class 0300, BAR 0 a 32-bit
  // register window) on the machine, maps BAR 0 and offers the four buses
  // as the driver's I2C adapters; returns the chip.
  static std::shared_ptr<NvidiaGpu> Install(EmulatedMachine& machine, const Identity& id);

  void SetRegister(uint32_t offset, uint32_t value) { regs_.Set32(offset, value); }
  uint32_t Register(uint32_t offset) const { return regs_.Get32(offset); }
  GpioI2cBus& I2cBus(int port) { return buses_[static_cast<size_t>(port)]; }
  // CRTC register `index` as last written (0 when never written).
  uint8_t Crtc(uint8_t index) const { return crtc_[index]; }
  uint8_t CrtcIndex() const { return crtcIndex_; }
  bool ExtendedUnlocked() const { return crtc_[0x1F] == 0x57; }
  uint32_t Bar0() const { return bar0_; }

  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  int LinePort(uint64_t offset) const;

  uint32_t bar0_;
  GpuRegisterFile regs_;
  std::array<GpioI2cBus, kPorts> buses_;
  std::array<uint32_t, kPorts> lineWrites_{};
  std::array<uint8_t, 256> crtc_{};
  uint8_t crtcIndex_ = 0;
  // The bytes around the CRTC pair (0x6013D0 .. 0x6013D7), kept as written.
  std::array<uint8_t, 8> vgaBytes_{};
};

}  // namespace emu
