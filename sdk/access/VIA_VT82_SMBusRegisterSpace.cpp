#include "sdk/access/VIA_VT82_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

// The PCI functions this host drives and how their bases are found.
namespace {

int Via3040Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  // Revision 0 has no host here: only its port window is recorded.
  uint32_t rev = c.R(0x08);
  if (!Answered(rev) || (rev & 0xFF) == 0) {
    uint32_t v = c.R(0x20);
    if (Answered(v) && (v & 0xFF00)) SMBusPortWindow(c.sdk, v & 0xFF00);
    return 0;
  }
  uint32_t v = c.R(0x48);
  if (Answered(v) && (v & 1)) bases[0] = v & 0xFF00;
  return 1;
}

int Via3050Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0x90);
  if (Answered(v) && (v & 1)) {
    if (c.EnsureD2()) bases[0] = v & 0xFFF0;
    return 1;
  }
  v = c.R(0x80);
  if (Answered(v) && (v & 1)) {
    uint32_t e = 0;
    if (c.Ok(0x84, &e) && !(e & 1)) {
      c.W(0x84, e | 1);
      if (!c.Ok(0x84, &e)) return 0;
    }
    if (e & 1) bases[0] = v & 0xFFF0;
  }
  return 1;
}

int Via3074Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0xD0);
  if (Answered(v) && (v & 1) && c.EnsureD2()) bases[0] = c.R(0xD0) & 0xFFF0;
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x1106, 0x3040, Via3040Bases}, {0x1106, 0x3050, Via3050Bases}, {0x1106, 0x3057, Via3050Bases},
    {0x1106, 0x3086, Via3050Bases}, {0x1106, 0x8235, Via3050Bases}, {0x1106, 0x3074, Via3074Bases},
    {0x1106, 0x3147, Via3074Bases}, {0x1106, 0x3177, Via3074Bases}, {0x1106, 0x3227, Via3074Bases},
    {0x1106, 0x3287, Via3074Bases}, {0x1106, 0x3337, Via3074Bases}, {0x1106, 0x3372, Via3074Bases},
    {0x1106, 0x3402, Via3074Bases}, {0x1106, 0x345B, Via3074Bases}, {0x1106, 0x8324, Via3074Bases},
    {0x1106, 0x8353, Via3074Bases}, {0x1106, 0x8409, Via3074Bases}, {0x1106, 0x8410, Via3074Bases},
};

}  // namespace

extern const SMBusHostClass kSMBusHostVIAVT82 = {"VIA_VT82_SMBusRegisterSpace", kIds, &MakeSMBusHost<VIA_VT82_SMBusRegisterSpace>};
