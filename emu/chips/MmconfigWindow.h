// The chipset's memory-mapped configuration window: bus << 20 | device << 15
// | function << 12 | register, forwarded to the PCI functions (absent ones
// read all ones).
#pragma once

#include "emu/Devices.h"

namespace emu {

class EmulatedMachine;

class MmconfigWindow : public MmioDevice {
 public:
  explicit MmconfigWindow(EmulatedMachine& machine) : machine_(machine) {}
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override;
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override;

 private:
  EmulatedMachine& machine_;  // the window belongs to the machine
};

}  // namespace emu
