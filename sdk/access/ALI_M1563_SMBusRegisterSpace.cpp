#include "sdk/access/ALI_M1563_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool ALI_M1563_SMBusRegisterSpace::WaitIdle(uint8_t* status) {
  *status = In(0);
  for (int n = 0; *status & 0x01; ++n) {
    if (n >= pollLimit) return false;
    Wait(1);
    *status = In(0);
  }
  return true;
}

bool ALI_M1563_SMBusRegisterSpace::Transfer(uint8_t address, uint8_t command, bool word, bool write, uint8_t low,
                                             uint8_t high) {
  uint8_t status = 0;
  if (!WaitIdle(&status)) return false;  // a host that never frees
  Out(0, 0xFF);
  Out(4, address);
  Out(3, command);
  if (write) {
    Out(5, low);
    if (word) Out(6, high);
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
  return !(status & 0x1C);
}

int ALI_M1563_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (!Transfer(static_cast<uint8_t>(slave << 1 | 1), command, false, false, 0, 0)) return 0;
  *value = In(5);
  return 1;
}

int ALI_M1563_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  if (!Transfer(static_cast<uint8_t>(slave << 1 | 1), command, true, false, 0, 0)) return 0;
  *low = In(5);
  *high = In(6);
  return 1;
}

int ALI_M1563_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return Transfer(static_cast<uint8_t>(slave << 1), command, false, true, value, 0) ? 1 : 0;
}

int ALI_M1563_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return Transfer(static_cast<uint8_t>(slave << 1), command, true, true, low, high) ? 1 : 0;
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
