#include "emu/chips/FintekF71882F.h"

#include "emu/EmulatedMachine.h"

namespace emu {

namespace {

struct Variant {
  uint16_t chipId;
  const char* name;
  bool compact;  // the F71808 family: no floppy, parallel or second UART
};
constexpr Variant kVariants[] = {
    {FintekF71882F::kF71882F, "F71882F", false},  {FintekF71882F::kF71889F, "F71889F", false},
    {FintekF71882F::kF71889ED, "F71889ED", false}, {FintekF71882F::kF71889A, "F71889A", false},
    {FintekF71882F::kF71869, "F71869", false},    {FintekF71882F::kF71808E, "F71808E", true},
};

// Firmware state of the logical devices: number, base, IRQ, active.
struct LogicalDevice {
  uint8_t ldn;
  uint16_t base;
  uint8_t irq;
  bool active;
  bool inCompact;
};
constexpr uint16_t kMonitor = 0xFFFF;  // replaced by the chip's monitor base
constexpr LogicalDevice kDevices[] = {
    {0x00, 0x03F0, 6, false, false},  // floppy disk controller
    {0x01, 0x03F8, 4, true, true},    // UART 1
    {0x02, 0x02F8, 3, false, false},  // UART 2
    {0x03, 0x0378, 7, false, false},  // parallel port
    {0x04, kMonitor, 0, true, true},  // hardware monitor
    {0x05, 0x0060, 1, true, true},    // keyboard controller
    {0x06, 0x0000, 0, false, true},   // GPIO
    {0x07, 0x0000, 0, false, true},   // VID / watchdog
    {0x0A, 0x0000, 0, true, true},    // PME and ACPI
};

const Variant* FindVariant(uint16_t chipId) {
  for (const auto& v : kVariants)
    if (v.chipId == chipId) return &v;
  return nullptr;
}

}  // namespace

const char* FintekF71882F::ChipName(uint16_t chipId) {
  const Variant* v = FindVariant(chipId);
  return v ? v->name : nullptr;
}

FintekF71882F::FintekF71882F(uint16_t chipId, uint16_t configPort, uint16_t monitorBase)
    : SuperIoChip(SuperIoMaker::Fintek, configPort), chipId_(chipId) {
  SetGlobal(0x20, static_cast<uint8_t>(chipId >> 8));
  SetGlobal(0x21, static_cast<uint8_t>(chipId));
  SetGlobal(0x23, static_cast<uint8_t>(kVendorId >> 8));
  SetGlobal(0x24, static_cast<uint8_t>(kVendorId));
  SetGlobal(0x26, 0x00);
  SetGlobal(0x27, 0x00);
  const Variant* variant = FindVariant(chipId);
  const bool compact = variant && variant->compact;
  for (const auto& d : kDevices)
    if (!compact || d.inCompact) AddLogicalDevice(d.ldn, d.base == kMonitor ? monitorBase : d.base, d.irq, d.active);
}

std::shared_ptr<FintekF71882F> FintekF71882F::Install(EmulatedMachine& m, uint16_t chipId, uint16_t configPort,
                                                      uint16_t monitorBase) {
  auto chip = std::make_shared<FintekF71882F>(chipId, configPort, monitorBase);
  m.AddPortDevice(configPort, kPorts, chip);
  return chip;
}

}  // namespace emu
