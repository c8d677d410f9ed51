#include "sdk/access/ALI_M1563_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool ALI_M1563_SMBusRegisterSpace::WaitIdle(uint8_t* status) {
  return Poll(pollLimit + 1, 1, false, [&] { return !((*status = In(0)) & 0x01); });
}

bool ALI_M1563_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (t.protocol == SMBusTransfer::kBlockData) return false;
  const bool word = t.protocol == SMBusTransfer::kWordData;
  uint8_t status = 0;
  if (!WaitIdle(&status)) return false;  // a host that never frees
  Out(0, 0xFF);
  Out(4, t.Address());
  Out(3, t.command);
  if (!t.read) {
    Out(5, t.data[0]);
    if (word) Out(6, t.data[1]);
  }
  uint8_t control = 0;
  if (!Get(2, &control)) return false;
  control = word ? static_cast<uint8_t>((control & 0xDF) | 0x18) : static_cast<uint8_t>((control & 0xD7) | 0x10);
  Out(2, control | 0x40);
  Wait(1);
  if (!WaitIdle(&status)) {
    Out(2, 0x04);  // kill
    uint8_t s = In(0);
    if (s & 0x08) Out(1, 0x80);
    if (s & 0x10) Out(2, 0);
    return false;
  }
  if (status & 0x1C) return false;
  if (t.read) {
    t.data[0] = In(5);
    if (word) t.data[1] = In(6);
  }
  return true;
}

// The PCI functions this host drives and how their bases are found.
namespace {

int M1563Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t v = 0;
  if (!c.Ok(0x80, &v)) return 0;
  if (!(v & 1)) {
    c.W(0x80, v | 7);
    if (!c.Ok(0x80, &v)) return 0;
  }
  bases[0] = v & 0xFFF0;
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x10B9, 0x1563, M1563Bases}, {0x10B9, 0x1573, M1563Bases}, {0x10B9, 0x1575, M1563Bases}};

}  // namespace

extern const SMBusHostClass kSMBusHostALIM1563 = {"ALI_M1563_SMBusRegisterSpace", kIds, &MakeSMBusHost<ALI_M1563_SMBusRegisterSpace>};
