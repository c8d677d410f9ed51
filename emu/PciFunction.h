// An emulated PCI function: its configuration space and which bits of it
// software may write. Chip models derive from it to give registers
// behaviour (write-one-to-clear bits, hide bits, side effects).
#pragma once

#include <cstdint>
#include <cstring>

namespace emu {

class PciFunction {
 public:
  static constexpr uint32_t kConfigSize = 4096;

  PciFunction(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendorId, uint16_t deviceId,
              uint32_t classRevision, uint8_t headerType = 0);
  virtual ~PciFunction() = default;

  uint8_t Bus() const { return bus_; }
  uint8_t Device() const { return device_; }
  uint8_t Function() const { return function_; }
  // bus << 8 | device << 3 | function
  uint32_t Bdf() const { return static_cast<uint32_t>(bus_) << 8 | device_ << 3 | function_; }

  // A hidden function does not answer: every read gives all ones.
  bool hidden = false;
  // Conventional functions have 256 bytes; PCI Express functions 4096.
  bool express = false;

  // Software accesses (width 1, 2 or 4; offset aligned to width by the caller).
  virtual uint32_t ConfigRead(uint32_t offset, int width);
  virtual void ConfigWrite(uint32_t offset, int width, uint32_t value);

  // Board set-up: set registers directly, and choose which bits software may write.
  void Set8(uint32_t offset, uint8_t v) { config_[offset] = v; }
  void Set16(uint32_t offset, uint16_t v) { std::memcpy(&config_[offset], &v, 2); }
  void Set32(uint32_t offset, uint32_t v) { std::memcpy(&config_[offset], &v, 4); }
  uint8_t Get8(uint32_t offset) const { return config_[offset]; }
  uint16_t Get16(uint32_t offset) const {
    uint16_t v;
    std::memcpy(&v, &config_[offset], 2);
    return v;
  }
  uint32_t Get32(uint32_t offset) const {
    uint32_t v;
    std::memcpy(&v, &config_[offset], 4);
    return v;
  }
  void SetWritable(uint32_t offset, uint32_t length, uint8_t mask);
  void SetSubsystem(uint16_t vendor, uint16_t device);
  // Adds a capability with `length` bytes of body to the capability list.
  uint8_t AddCapability(uint8_t id, uint8_t offset, uint8_t length);

 protected:
  uint8_t config_[kConfigSize] = {};
  uint8_t writable_[kConfigSize] = {};

 private:
  uint8_t bus_, device_, function_;
};

}  // namespace emu
