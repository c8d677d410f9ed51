#include "sdk/access/SiS968_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

// The PCI functions this host drives and how their bases are found.
namespace {

int SiS0968Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0x9B);
  if (Answered(v)) bases[0] = static_cast<uint32_t>(v & 0xFF) << 8;
  return 1;
}

constexpr SMBusHostId kIds[] = {{0x1039, 0x0968, SiS0968Bases}};

}  // namespace

extern const SMBusHostClass kSMBusHostSiS968 = {"SiS968_SMBusRegisterSpace", kIds, &MakeSMBusHost<SiS968_SMBusRegisterSpace>};
