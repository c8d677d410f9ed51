#include "sdk/access/Intel_ICH4_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

// The PCI functions this host drives and how their bases are found.
namespace {

int Ich4Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t v = 0;
  // HOSTC: host enabled, SMI routing off; a write that depends on a
  // failed read is skipped.
  if (!c.Ok(0x40, &v)) return 0;
  c.W(0x40, (v & ~4u) | 1);
  if (!c.Ok(0x40, &v) || !(v & 1)) return 0;
  v = c.R(0x20);
  if (Answered(v)) bases[0] = v & 0xFFF0;
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x8086, 0x1C22, Ich4Bases}, {0x8086, 0x1D22, Ich4Bases}, {0x8086, 0x1E22, Ich4Bases},
    {0x8086, 0x24C3, Ich4Bases}, {0x8086, 0x24D3, Ich4Bases}, {0x8086, 0x25A4, Ich4Bases},
    {0x8086, 0x266A, Ich4Bases}, {0x8086, 0x269B, Ich4Bases}, {0x8086, 0x27DA, Ich4Bases},
    {0x8086, 0x283E, Ich4Bases}, {0x8086, 0x2930, Ich4Bases}, {0x8086, 0x3A30, Ich4Bases},
    {0x8086, 0x3A60, Ich4Bases}, {0x8086, 0x3B30, Ich4Bases}, {0x8086, 0x8C22, Ich4Bases},
};

}  // namespace

extern const SMBusHostClass kSMBusHostIntelICH4 = {"Intel_ICH4_SMBusRegisterSpace", kIds, &MakeSMBusHost<Intel_ICH4_SMBusRegisterSpace>};
