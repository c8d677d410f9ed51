#include "sdk/access/ATI_SB_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

// The PCI functions this host drives and how their bases are found.
namespace {

// AMD/ATI south bridges: the base in configuration register 0x90, or
// behind the power-management ports where that reads empty (SB700 and
// later), or only there (the SB800 family's 780B function).
int AtiBases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t v = c.R(0x90);
  bases[0] = Answered(v) ? v & 0xFFF0 : 0;
  if (!bases[0]) bases[0] = PmIoBase();
  return 1;
}

int PmIoBases(SMBusHostFunction&, uint32_t bases[2]) {
  bases[0] = PmIoBase();
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x1002, 0x4353, AtiBases}, {0x1002, 0x4372, AtiBases}, {0x1002, 0x4385, AtiBases},
    {0x1002, 0x4395, AtiBases}, {0x1022, 0x780B, PmIoBases},
};

}  // namespace

extern const SMBusHostClass kSMBusHostATISB = {"ATI_SB_SMBusRegisterSpace", kIds, &MakeSMBusHost<ATI_SB_SMBusRegisterSpace>};
