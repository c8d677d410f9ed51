#include "sdk/access/Intel_SCH_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool Intel_SCH_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (!t.read || t.protocol != SMBusTransfer::kByteData) return false;
  if (In(1) & 0x08) return false;
  Out(4, t.Address());
  Out(5, t.command);
  uint8_t control = 0;
  if (!Get(0, &control)) return false;
  control = static_cast<uint8_t>((control & 0xB2) | 0x02);
  Out(0, control);
  uint8_t status = In(1);
  if (status & 0x0F) {
    Out(1, status & 0x0F);
    Wait(1);
    if (In(1) & 0x0F) return false;
  }
  Out(0, control | 0x10);
  if (!Poll(pollLimit + 1, 1, false, [&] { return !((status = In(1)) & 0x08); })) return false;
  if ((status & 0x06) || !(status & 0x01)) return false;
  t.data[0] = In(6);
  return true;
}

// The PCI functions this host drives and how their bases are found.
namespace {

int SchBases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0x40);
  if (Answered(v)) bases[0] = v & 0xFFC0;
  return 1;
}

constexpr SMBusHostId kIds[] = {{0x8086, 0x8119, SchBases}, {0x8086, 0x8186, SchBases}};

}  // namespace

extern const SMBusHostClass kSMBusHostIntelSCH = {"Intel_SCH_SMBusRegisterSpace", kIds, &MakeSMBusHost<Intel_SCH_SMBusRegisterSpace>};
