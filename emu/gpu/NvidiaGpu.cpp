#include "emu/gpu/NvidiaGpu.h"

#include <string>

#include "emu/EmulatedMachine.h"
#include "emu/gpu/DriverI2cAdapter.h"

namespace emu {

std::shared_ptr<NvidiaGpu> NvidiaGpu::Install(EmulatedMachine& machine, const Identity& id) {
  auto function = std::make_unique<PciFunction>(id.bus, id.device, 0, 0x10DE, id.deviceId, 0x03000000u | id.revision);
  function->express = true;
  function->Set32(0x10, id.bar0);
  function->SetSubsystem(id.subsystemVendor, id.subsystemDevice);
  machine.AddPciFunction(std::move(function));
  auto gpu = std::make_shared<NvidiaGpu>(id.bar0);
  // PMC_BOOT_0 carries the chip revision in its low byte.
  gpu->SetRegister(0, id.revision);
  for (auto& w : gpu->lineWrites_) w = 7;
  machine.AddMmio(id.bar0, kBar0Size, gpu);
  // The graphics driver's I2C adapters, one per port.
  std::vector<std::shared_ptr<plat::SmbusAdapter>> adapters;
  for (int p = 0; p < kPorts; ++p)
    adapters.push_back(std::make_shared<DriverI2cAdapter>(gpu->I2cBus(p), "nvidia i2c port " + std::to_string(p)));
  machine.AddGraphicsI2CAdapters(id.bus, id.device, 0, std::move(adapters));
  return gpu;
}

int NvidiaGpu::LinePort(uint64_t offset) const {
  for (int p = 0; p < kPorts; ++p)
    if (offset == kLineBase + kLineStride * static_cast<uint32_t>(p)) return p;
  return -1;
}

bool NvidiaGpu::MmioRead(uint64_t offset, int width, uint32_t* value) {
  if (offset >= 0x6013D0 && offset < 0x6013D8) {
    *value = 0;
    for (int i = 0; i < width; ++i) {
      const uint64_t o = offset + static_cast<uint64_t>(i);
      uint8_t b = vgaBytes_[o - 0x6013D0];
      if (o == kCrtcIndex) b = crtcIndex_;
      if (o == kCrtcIndex + 1) b = crtc_[crtcIndex_];
      *value |= static_cast<uint32_t>(b) << (8 * i);
    }
    return true;
  }
  const uint32_t aligned = static_cast<uint32_t>(offset & ~3ull);
  const int port = LinePort(aligned);
  if (port < 0) return regs_.MmioRead(offset, width, value);
  GpioI2cBus& bus = buses_[static_cast<size_t>(port)];
  const uint32_t dword =
      (lineWrites_[static_cast<size_t>(port)] & ~3u) | (bus.Scl() ? 1u : 0u) | (bus.Sda() ? 2u : 0u);
  const int shift = static_cast<int>(offset & 3) * 8;
  *value = width == 4 ? dword : (dword >> shift) & (width == 2 ? 0xFFFFu : 0xFFu);
  return true;
}

bool NvidiaGpu::MmioWrite(uint64_t offset, int width, uint32_t value) {
  if (offset >= 0x6013D0 && offset < 0x6013D8) {
    for (int i = 0; i < width; ++i) {
      const uint64_t o = offset + static_cast<uint64_t>(i);
      const uint8_t b = static_cast<uint8_t>(value >> (8 * i));
      if (o == kCrtcIndex) crtcIndex_ = b;
      else if (o == kCrtcIndex + 1) crtc_[crtcIndex_] = b;
      else vgaBytes_[o - 0x6013D0] = b;
    }
    return true;
  }
  const uint32_t aligned = static_cast<uint32_t>(offset & ~3ull);
  const int port = LinePort(aligned);
  if (port >= 0 && width == 4) {
    lineWrites_[static_cast<size_t>(port)] = value;
    buses_[static_cast<size_t>(port)].Drive((value & 1) != 0, (value & 2) != 0);
    return true;
  }
  return regs_.MmioWrite(offset, width, value);
}

}  // namespace emu
