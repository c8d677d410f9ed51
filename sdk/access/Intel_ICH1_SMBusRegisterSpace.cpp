#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"
#include "sdk/access/SdkDriver.h"

int Intel_ICH1_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (OnPortWindow()) {
    if (CKMDriver* d = SdkDriver()) {
      uint8_t v = 0xFF;
      int r = d->SMBusReadByteIntel(io->GetBaseLow(), slave, command, &v);
      if (r == 1) {
        *value = v;
        return 1;
      }
      if (r == 0) return 0;
    }
  }
  return ReadByteRegisters(slave, command, value);
}

int Intel_ICH1_SMBusRegisterSpace::ReadByteRegisters(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  Out(kStatus, 0xFF);
  In(kStatus);
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;  // never started from a control that did not answer
  Out(kControl, static_cast<uint8_t>((control & 0xA8) | kProtoByteData | kStart));
  Wait(1);
  uint8_t status = In(kStatus);
  int polls = 0;
  while (status & kBusy) {
    if (++polls > 500) return 0;  // time-out: nothing more is written
    Wait(1);
    status = In(kStatus);
  }
  // Completion is the interrupt bit: a start the host ignored (disabled)
  // leaves the status clear, and the data register holds stale data.
  int ok = 0;
  if (!(status & (kDevErr | kBusErr | kFailed)) && (status & kIntr)) {
    *value = In(kData0);
    ok = 1;
  }
  Out(kStatus, In(kStatus) | 0x44);
  return ok;
}

int Intel_ICH1_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  return ReadWordRegisters(slave, command, low, high, pollLimit);
}

int Intel_ICH1_SMBusRegisterSpace::ReadWordRegisters(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high,
                                                      int polls) {
  *low = *high = 0;
  Out(kStatus, 0xFF);
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;
  Out(kControl, static_cast<uint8_t>((control & 0xEC) | kProtoWordData | kStart));
  Wait(1);
  uint8_t status = In(kStatus);
  int n = 0;
  while (status & kBusy) {
    if (++n > polls) return 0;
    Wait(1);
    status = In(kStatus);
  }
  if ((status & (kDevErr | kBusErr | kFailed)) || !(status & kIntr)) return 0;
  *low = In(kData0);
  *high = In(kData1);
  return 1;
}

uint8_t Intel_ICH1_SMBusRegisterSpace::ClearStatus(uint8_t mask) {
  uint8_t status = In(kStatus);
  if (status & mask) {
    Out(kStatus, status & mask);
    status = In(kStatus);
  }
  return status;
}

int Intel_ICH1_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  return WriteRegisters(slave, command, value, 0, kProtoByteData, pollLimit);
}

int Intel_ICH1_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  return WriteRegisters(slave, command, low, high, kProtoWordData, pollLimit);
}

int Intel_ICH1_SMBusRegisterSpace::WriteRegisters(uint8_t slave, uint8_t command, uint8_t low, uint8_t high,
                                                   uint8_t protocol, int polls) {
  Out(kAddress, static_cast<uint8_t>(slave << 1));
  Out(kCommand, command);
  Out(kData0, low);
  if (protocol == kProtoWordData) Out(kData1, high);
  In(kControl);
  Out(kControl, protocol);
  ClearStatus(0x1F);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return 0;
  Out(kControl, control | kStart);
  uint8_t status = 0;
  int n = 0;
  for (;;) {
    status = In(kStatus);
    Wait(1);
    if (!(status & kBusy)) break;
    if (++n >= polls) return 0;
  }
  status = In(kStatus);  // settled, read once more after the last wait
  ClearStatus(0x1F);
  // Like a read, a write succeeded only when it completed with the
  // interrupt bit and no error: a slave that did not acknowledge leaves
  // device error, and a start the host ignored leaves no completion at all.
  return Completed(status) ? 1 : 0;
}

bool Intel_ICH1_SMBusRegisterSpace::WaitFor(uint8_t bit, int polls, uint8_t* status) {
  for (int n = 0; n < polls; ++n) {
    *status = In(kStatus);
    // An unreadable status is all ones: never taken for a completed byte.
    if (*status != 0xFF && (*status & bit)) return true;
    // A transfer that ended in an error hands out no further byte.
    if (*status != 0xFF && (*status & (kDevErr | kBusErr | kFailed)) && !(*status & kBusy)) return false;
    Wait(1);
  }
  return false;
}

int Intel_ICH1_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  return ReadBlockBytes(slave, command, buffer, false);
}

int Intel_ICH1_SMBusRegisterSpace::ReadBlockBytes(uint8_t slave, uint8_t command, uint8_t* buffer, bool stopOnError) {
  int count = kMaxBlock, read = 0;
  Out(kAddress, static_cast<uint8_t>(slave << 1 | 1));
  Out(kCommand, command);
  for (int i = 1; i <= count; ++i) {
    Out(kControl, i == count ? (kProtoBlock | kLastByte) : kProtoBlock);
    uint8_t mask = i == 1 ? 0x9F : 0x1E;
    uint8_t status = In(kStatus);
    if (status & mask) {
      Out(kStatus, status);
      status = In(kStatus);
      if ((status & mask) || i > 1) break;
    }
    if (i == 1) Out(kControl, static_cast<uint8_t>((i == count ? (kProtoBlock | kLastByte) : kProtoBlock) | kStart));
    if (!WaitFor(kByteDone, pollLimit, &status)) break;
    if (stopOnError && (status & (kDevErr | kBusErr | kFailed))) break;
    if (i == 1) {
      count = In(kData0);
      if (count > kMaxBlock) count = kMaxBlock;
      if (count == 0) break;
    }
    buffer[i - 1] = In(kBlockData);
    ++read;
    if (status & 0x9E) Out(kStatus, status & 0x9E);
    In(kStatus);
  }
  return read;
}

int Intel_ICH1_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  return WriteBlockBytes(slave, command, buffer, count, false, false);
}

int Intel_ICH1_SMBusRegisterSpace::WriteBlockBytes(uint8_t slave, uint8_t command, const uint8_t* buffer, int count,
                                                    bool stopOnError, bool writeLastStatus) {
  if (count < 1) return -1;
  if (count > kMaxBlock) count = kMaxBlock;
  int written = 0;
  Out(kAddress, static_cast<uint8_t>(slave << 1));
  Out(kCommand, command);
  Out(kData0, static_cast<uint8_t>(count));
  Out(kBlockData, buffer[0]);
  uint8_t status = 0;
  bool running = true;
  for (int i = 1; i <= count - 1; ++i) {
    Out(kControl, kProtoBlock);
    uint8_t mask = i == 1 ? 0x9F : 0x1E;
    status = In(kStatus);
    if (status & mask) {
      Out(kStatus, status);
      status = In(kStatus);
      if ((status & mask) || i > 1) {
        running = i > 1;
        break;
      }
    }
    if (i == 1) Out(kControl, kProtoBlock | kStart);
    if (!WaitFor(kByteDone, pollLimit, &status)) {
      running = false;
      break;
    }
    if (stopOnError && (status & (kDevErr | kBusErr | kFailed))) {
      running = false;
      break;
    }
    Out(kBlockData, buffer[i]);
    if (status & 0x9E) Out(kStatus, status & 0x9E);
    status = In(kStatus);
    ++written;
  }
  // A single byte goes out with the start itself.
  if (count == 1) Out(kControl, kProtoBlock | kStart);
  if (!running) return -1;
  // The last byte completes with byte done set; clearing it ends the
  // transaction (ICH4 and later write the whole status back).
  if (!WaitFor(kByteDone, pollLimit, &status)) return -1;
  Out(kStatus, writeLastStatus ? static_cast<uint8_t>(status & 0x9E) : static_cast<uint8_t>(kByteDone));
  // Only then does the slave's acknowledgement of the block show: the
  // host ends with the interrupt bit, or with an error.
  int n = 0;
  status = In(kStatus);
  while (status == 0xFF || (status & kBusy) || !(status & (kIntr | kDevErr | kBusErr | kFailed))) {
    if (++n > pollLimit) return -1;
    Wait(1);
    status = In(kStatus);
  }
  if (status & 0x1E) Out(kStatus, status & 0x1E);
  return Completed(status) ? written + 1 : -1;
}

// The PCI functions this host drives and how their bases are found.
namespace {

int ServerworksBases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0x90);
  if (Answered(v)) bases[0] = v & 0xFFF0;
  return 1;
}

int Ich2Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t v = 0;
  if (!c.Ok(0x40, &v)) return 0;
  if (!(v & 1)) {
    c.W(0x40, v | 3);
    if (!c.Ok(0x40, &v) || !(v & 1)) return 0;
  }
  v = c.R(0x20);
  if (Answered(v)) bases[0] = v & 0xFFF0;
  return 1;
}

// The 440MX's power-management function.
int Pm7113Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t v = c.R(0x90);
  if (c.EnsureD2() && Answered(v)) bases[0] = v & 0xFFF0;
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x1166, 0x0200, ServerworksBases}, {0x1166, 0x0201, ServerworksBases}, {0x1166, 0x0203, ServerworksBases},
    {0x8086, 0x2413, Ich2Bases},        {0x8086, 0x2423, Ich2Bases},        {0x8086, 0x2443, Ich2Bases},
    {0x8086, 0x2483, Ich2Bases},        {0x8086, 0x7113, Pm7113Bases},
};

}  // namespace

extern const SMBusHostClass kSMBusHostIntelICH1 = {"Intel_ICH1_SMBusRegisterSpace", kIds, &MakeSMBusHost<Intel_ICH1_SMBusRegisterSpace>};
