#include "sdk/access/Intel_SCH_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

int Intel_SCH_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (In(1) & 0x08) return 0;
  Out(4, static_cast<uint8_t>(slave << 1 | 1));
  Out(5, command);
  uint8_t control = 0;
  if (!Get(0, &control)) return 0;
  control = static_cast<uint8_t>((control & 0xB2) | 0x02);
  Out(0, control);
  uint8_t status = In(1);
  if (status & 0x0F) {
    Out(1, status & 0x0F);
    Wait(1);
    if (In(1) & 0x0F) return 0;
  }
  Out(0, control | 0x10);
  status = In(1);
  for (int n = 0; status & 0x08; ++n) {
    if (n >= pollLimit) return 0;
    Wait(1);
    status = In(1);
  }
  if ((status & 0x06) || !(status & 0x01)) return 0;
  *value = In(6);
  return 1;
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
