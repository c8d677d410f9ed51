#include "sdk/access/VIA_VT82_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"
#include "sdk/access/SMBusBufferedBlock.h"

int VIA_VT82_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  Out(kStatus, 0xDF);
  In(kStatus);
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;
  Out(kControl, static_cast<uint8_t>((control & 0xA8) | kProtoByteData | kStart));
  Wait(1);
  uint8_t status = In(kStatus);
  for (int polls = 0; status & kBusy; ++polls) {
    if (polls >= 500) return 0;
    Wait(1);
    status = In(kStatus);
  }
  if (status & (kDevErr | kBusErr | kFailed)) return 0;
  *value = In(kData0);
  return 1;
}

int VIA_VT82_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  Out(kStatus, 0xDF);
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;
  Out(kControl, static_cast<uint8_t>((control & 0xEC) | kProtoWordData | kStart));
  Wait(1);
  uint8_t status = In(kStatus);
  for (int polls = 0; status & kBusy; ++polls) {
    if (polls >= pollLimit) return 0;
    Wait(1);
    status = In(kStatus);
  }
  if (status & (kDevErr | kBusErr | kFailed)) return 0;
  *low = In(kData0);
  *high = In(kData1);
  return 1;
}

int VIA_VT82_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return WriteRegisters(slave, command, value, 0, kProtoByteData, 1000);
}

int VIA_VT82_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return WriteRegisters(slave, command, low, high, kProtoWordData, 1000);
}

int VIA_VT82_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  return BufferedBlockRead(io, pollLimit, slave, command, buffer);
}

int VIA_VT82_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  return BufferedBlockWrite(io, pollLimit, slave, command, buffer, count);
}

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
