#include "sdk/access/AMD_AM755_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool AMD_AM755_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (!t.read || t.protocol != SMBusTransfer::kByteData) return false;
  // The host is polled without waits.
  uint16_t status = 0;
  if (!Poll(pollLimit + 1, 0, false, [&] { return !((status = In16(0)) & 0x0808); })) {
    uint16_t control = 0;
    if (Get16(2, &control)) Out16(2, control | 0x20);  // abort
    return false;
  }
  Out16(4, t.Address());
  Out(8, t.command);
  uint16_t control = 0;
  if (!Get16(2, &control)) return false;
  Out16(2, control | 0x0A);  // byte data, start
  if (!Poll(pollLimit + 1, 0, false, [&] { return !((status = In16(0)) & 0x08); })) return false;
  Out16(0, 0x37);
  if (status & (0x04 | 0x02 | 0x20)) return false;
  t.data[0] = static_cast<uint8_t>(In16(6));
  return true;
}

// The PCI functions this host drives and how their bases are found.
namespace {

int Amd74xBases(SMBusHostFunction& c, uint32_t bases[2]) {
  // Bit 7 of byte 0x41 (bit 15 of dword 0x40) enables the I/O space.
  uint32_t v = 0;
  if (!c.Ok(0x40, &v)) return 0;
  if (!(v & 0x8000)) {
    c.W(0x40, v | 0x8000);
    if (!c.Ok(0x40, &v) || !(v & 0x8000)) return 0;
  }
  v = c.R(0x58);
  if (Answered(v)) bases[0] = (v & 0xFF00) | 0xE0;
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x1022, 0x740B, Amd74xBases}, {0x1022, 0x7413, Amd74xBases},
    {0x1022, 0x7443, Amd74xBases}, {0x1022, 0x746B, Amd74xBases},
};

}  // namespace

extern const SMBusHostClass kSMBusHostAMDAM755 = {"AMD_AM755_SMBusRegisterSpace", kIds, &MakeSMBusHost<AMD_AM755_SMBusRegisterSpace>};
