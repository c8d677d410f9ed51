// Small emulated chips that remember every access, for checking exactly
// what a register space sends to the hardware.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "emu/Devices.h"
#include "emu/PciFunction.h"

namespace testsupport {

struct Access {
  uint32_t offset;
  int width;
  uint32_t value;
  bool write;
  bool operator==(const Access&) const = default;
};

// Registers as plain bytes, every access logged.
class RecordingRegisters : public emu::MmioDevice, public emu::PortDevice {
 public:
  explicit RecordingRegisters(size_t size) : bytes(size, 0) {}
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override { return Read(offset, width, value); }
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override { return Write(offset, width, value); }
  bool PortRead(uint16_t offset, int width, uint32_t* value) override { return Read(offset, width, value); }
  bool PortWrite(uint16_t offset, int width, uint32_t value) override { return Write(offset, width, value); }

  std::vector<uint8_t> bytes;
  std::vector<Access> log;

 private:
  bool Read(uint64_t offset, int width, uint32_t* value) {
    uint32_t v = 0;
    std::memcpy(&v, &bytes[offset], width);
    *value = v;
    log.push_back({static_cast<uint32_t>(offset), width, v, false});
    return true;
  }
  bool Write(uint64_t offset, int width, uint32_t value) {
    std::memcpy(&bytes[offset], &value, width);
    log.push_back({static_cast<uint32_t>(offset), width, value, true});
    return true;
  }
};

// A PCI function that logs configuration writes.
class RecordingPciFunction : public emu::PciFunction {
 public:
  using emu::PciFunction::PciFunction;
  void ConfigWrite(uint32_t offset, int width, uint32_t value) override {
    writes.push_back({offset, width, value, true});
    emu::PciFunction::ConfigWrite(offset, width, value);
  }
  std::vector<Access> writes;
};

}  // namespace testsupport
