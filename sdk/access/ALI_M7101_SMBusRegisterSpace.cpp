#include "sdk/access/ALI_M7101_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool ALI_M7101_SMBusRegisterSpace::Transfer(uint8_t address, uint8_t command, uint8_t value, uint8_t* status) {
  Out(0, 0xFF);
  *status = In(0);
  for (int n = 0; !(*status & 0x04) || *status == 0xFF; ++n) {
    if (n >= pollLimit) return false;
    Wait(1);
    *status = In(0);
  }
  Out(3, address);
  Out(1, 0x20);  // byte data
  Out(7, command);
  Out(4, value);
  *status = In(0);
  if (*status & 0x10) Out(0, 0x10);
  Out(2, 0xFF);  // start
  *status = In(0);
  for (int n = 0; (*status & 0x08) && !(*status & 0x04); ++n) {
    if (n >= pollLimit) return false;
    Wait(1);
    *status = In(0);
  }
  return true;
}

int ALI_M7101_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  uint8_t status = 0;
  if (!Transfer(static_cast<uint8_t>(slave << 1 | 1), command, 0, &status) || Failed(status)) return 0;
  *value = In(4);
  return 1;
}

int ALI_M7101_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  uint8_t status = 0;
  // A write fails on the same status bits as a read.
  return Transfer(static_cast<uint8_t>(slave << 1), command, value, &status) && !Failed(status) ? 1 : 0;
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
