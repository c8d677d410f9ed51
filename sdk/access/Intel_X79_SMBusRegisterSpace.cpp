#include "sdk/access/Intel_X79_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

namespace {

constexpr uint32_t kBusy = 1u << 28, kValid = 1u << 31, kError = 1u << 29;

bool Settled(uint32_t s) { return !(s & kBusy) && (s & (kValid | kError)); }

}  // namespace

bool Intel_X79_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (!t.read || t.protocol != SMBusTransfer::kByteData) return false;
  const uint8_t slave = t.slave;
  if (slave < 0x50 || slave > 0x57) return false;
  // A register set serves only its own four slots (0x180: 0x50-0x53, 0x190:
  // 0x54-0x57). Asked for the other set's slot, the masked index would
  // select one of its own modules, which would then answer a second time.
  if ((slave >= 0x54) != (statusReg >= 0x190)) return false;
  // Each register set serves four slots; the index counts from 0x50.
  uint32_t index = static_cast<uint32_t>(slave - 0x50) * 2;
  uint32_t control = 0, status = 0;
  if (!ReadReg(controlReg, &control)) return false;
  // The firmware's control word (thermal-sensor polling, its device type)
  // goes back after the read: with polling left off the controller would
  // stop throttling on the modules' temperatures.
  struct Restore {
    Intel_X79_SMBusRegisterSpace* self;
    uint32_t control;
    ~Restore() { self->WriteReg(self->controlReg, control); }
  } restore{this, control};
  WriteReg(controlReg, (control & 0xFF) | 0xA8000000u);
  WriteReg(commandReg, 0x80000000u | (index & 7) << 24 | static_cast<uint32_t>(t.command) << 16);
  auto poll = [&] {
    for (int n = 0; n < kPolls; ++n) {
      if (!ReadReg(statusReg, &status)) return false;
      if (Settled(status)) return true;
    }
    return false;
  };
  if (!poll()) return false;
  if (!((status & kValid) && !(status & kError))) {
    for (int n = 0; n < kPolls; ++n) {
      if (!ReadReg(controlReg, &control)) return false;
      WriteReg(controlReg, control ^ (1u << 27));
      if (!ReadReg(statusReg, &status)) return false;
      if ((status & 0xB0000000u) == 0x10000000u) break;
    }
    if (!poll()) return false;
  }
  if (!(status & kValid) || (status & kError)) return false;
  t.data[0] = static_cast<uint8_t>(status);
  return true;
}

// The memory controller's function with its two register sets.
namespace {

constexpr SMBusConfigHostId kConfigIds[] = {{0x8086, 0x3CA8, 0x180, 0x184}, {0x8086, 0x3CA8, 0x190, 0x194}};

CSMBusRegisterSpace* Make(CPCIConfigSpace* config, uint32_t bus, uint32_t device, uint32_t function,
                          const SMBusConfigHostId& row, uint32_t controller) {
  return new Intel_X79_SMBusRegisterSpace(config, bus, device, function, row.status, controller);
}

}  // namespace

extern const SMBusHostClass kSMBusHostIntelX79 = {"Intel_X79_SMBusRegisterSpace", {}, nullptr, kConfigIds, &Make};
