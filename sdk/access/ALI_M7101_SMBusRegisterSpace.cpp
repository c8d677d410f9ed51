#include "sdk/access/ALI_M7101_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool ALI_M7101_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (t.protocol != SMBusTransfer::kByteData) return false;
  Out(0, 0xFF);
  uint8_t status = 0;
  if (!Poll(pollLimit + 1, 1, false, [&] {
        status = In(0);
        return (status & 0x04) && status != 0xFF;
      }))
    return false;
  Out(3, t.Address());
  Out(1, 0x20);  // byte data
  Out(7, t.command);
  Out(4, t.read ? 0 : t.data[0]);
  status = In(0);
  if (status & 0x10) Out(0, 0x10);
  Out(2, 0xFF);  // start
  if (!Poll(pollLimit + 1, 1, false, [&] {
        status = In(0);
        return !(status & 0x08) || (status & 0x04);
      }))
    return false;
  // A write fails on the same status bits as a read.
  if (Failed(status)) return false;
  if (t.read) t.data[0] = In(4);
  return true;
}

// The PCI functions this host drives and how their bases are found.
namespace {

int M7101Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = 0;
  if (!(c.B(0xD1) & 0x04) && c.Ok(0xD0, &v)) c.W(0xD0, v | 0x400);
  if (c.Ok(0xF0, &v) && !(v & 1)) c.W(0xF0, v | 1);
  v = c.R(0xE2);
  if (Answered(v)) bases[0] = v & 0xFFE0;
  return 1;
}

constexpr SMBusHostId kIds[] = {{0x10B9, 0x7101, M7101Bases}};

}  // namespace

extern const SMBusHostClass kSMBusHostALIM7101 = {"ALI_M7101_SMBusRegisterSpace", kIds, &MakeSMBusHost<ALI_M7101_SMBusRegisterSpace>};
