// The ICH10R south bridge as the boards build it: LPC bridge 00:1F.0 with
// ACPI PM block, GPIO window and root complex block, and the SMBus
// controller 00:1F.3 with its host and bus. The 5-series PCH uses the same
// register layout and can be built with its device ids.
//
// LPC configuration as firmware leaves it: 0x40 PMBASE | 1, 0x44 ACPI
// enable, 0x48 GPIOBASE | 1, 0x4C bit 4 GPIO enable, 0xF0 RCBA | 1. Base
// fields are fixed where firmware put them; the enable bits are writable.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "emu/smbus/SmbusBus.h"

namespace emu {

class EmulatedMachine;
class PciFunction;
class IntelSmbusFunction;
class IntelSmbusHost;
class Ich10rGpio;
class Ich10rRootComplex;

// A bus switch driven by two GPIO pins: the connected segment for each
// combination of levels, indexed by (level of pinHigh) << 1 | (level of pinLow).
struct SmbusGpioMux {
  int pinLow = 52;
  int pinHigh = 53;
  // Both high: segment 0; only pinHigh high: segment 1; otherwise none.
  std::array<int, 4> segment = {SmbusBus::kNoSegment, SmbusBus::kNoSegment, 1, 0};
};

struct Ich10rOptions {
  uint16_t lpcDeviceId = 0x3A16;  // ICH10R
  uint16_t smbusDeviceId = 0x3A30;
  uint16_t subsystemVendor = 0x0000;  // both functions' subsystem ids
  uint16_t subsystemDevice = 0x0000;
  uint16_t pmBase = 0x0400;
  uint16_t gpioBase = 0x0480;
  uint16_t smbusBase = 0x0500;
  uint32_t rcba = 0xFED1C000;
  // Firmware set FD.SD: the SMBus function starts hidden.
  bool smbusHidden = false;
  // Firmware state of the GPIO banks: use-select, direction (1 = input),
  // output latch.
  struct GpioBank {
    uint32_t useSel = 0, ioSel = 0xFFFFFFFF, level = 0;
  };
  std::array<GpioBank, 3> gpio = {};
  std::optional<SmbusGpioMux> mux;
};

struct Ich10rSouthBridge {
  PciFunction* lpc = nullptr;
  IntelSmbusFunction* smbusFunction = nullptr;
  std::shared_ptr<SmbusBus> smbus;
  std::shared_ptr<IntelSmbusHost> smbusHost;
  std::shared_ptr<Ich10rGpio> gpio;
  std::shared_ptr<Ich10rRootComplex> rootComplex;
};

Ich10rSouthBridge AddIch10rSouthBridge(EmulatedMachine& m, const Ich10rOptions& options);

}  // namespace emu
