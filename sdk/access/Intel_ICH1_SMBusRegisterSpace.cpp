#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"

#include <algorithm>

#include "sdk/access/SMBusHostRegistry.h"
#include "sdk/access/SdkDriver.h"

bool Intel_ICH1_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (t.protocol == SMBusTransfer::kBlockData) {
    switch (variant_.blocks) {
      case Blocks::kBuffered:
        return BufferedBlock(t);
      case Blocks::kByteByByte:
        return t.read ? ReadBlockBytes(t, false) : WriteBlockBytes(t, false, false);
      case Blocks::kByteByByteAux: {
        uint8_t aux = 0;
        const bool haveAux = Get(kAuxControl, &aux);
        if (haveAux) Out(kAuxControl, aux & ~0x02);
        const bool ok = t.read ? ReadBlockBytes(t, true) : WriteBlockBytes(t, true, true);
        if (haveAux) Out(kAuxControl, aux);
        return ok;
      }
    }
    return false;
  }
  if (!t.read) return WriteRegisters(t);
  if (t.protocol == SMBusTransfer::kByteData && variant_.kernelByteRead && OnPortWindow()) {
    if (CKMDriver* d = SdkDriver()) {
      uint8_t v = 0xFF;
      const int r = d->SMBusReadByteIntel(io->GetBaseLow(), t.slave, t.command, &v);
      if (r == 1) t.data[0] = v;
      // Anything else than 0 or 1: the driver has no such read, the
      // registers are run here.
      if (r == 1 || r == 0) return r == 1;
    }
  }
  return ReadRegisters(t);
}

bool Intel_ICH1_SMBusRegisterSpace::ReadRegisters(SMBusTransfer& t) {
  const bool word = t.protocol == SMBusTransfer::kWordData;
  Out(kStatus, variant_.statusClear);
  if (!word) In(kStatus);
  Out(kAddress, t.Address());
  Out(kCommand, t.command);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return false;  // never started from a control that did not answer
  Out(kControl, static_cast<uint8_t>((control & 0xA8) | (word ? kProtoWordData : kProtoByteData) | kStart));
  uint8_t status = 0xFF;
  const int polls = word ? variant_.wordReadPolls : kByteReadPolls;
  // One status read 1 ms after the start, then the polls; a time-out
  // writes nothing more.
  if (!Poll(polls + 1, 1, true, [&] { return !((status = In(kStatus)) & kBusy); })) return false;
  // Completion is the interrupt bit: a start the host ignored (disabled)
  // leaves the status clear, and the data register holds stale data.
  const bool ok = Completed(status);
  if (ok) {
    t.data[0] = In(kData0);
    if (word) t.data[1] = In(kData1);
  }
  if (!word && variant_.releaseAfterByteRead) Out(kStatus, In(kStatus) | 0x44);
  return ok;
}

uint8_t Intel_ICH1_SMBusRegisterSpace::ClearStatus(uint8_t mask) {
  uint8_t status = In(kStatus);
  if (status & mask) {
    Out(kStatus, status & mask);
    status = In(kStatus);
  }
  return status;
}

bool Intel_ICH1_SMBusRegisterSpace::WriteRegisters(const SMBusTransfer& t) {
  const bool word = t.protocol == SMBusTransfer::kWordData;
  const uint8_t protocol = word ? kProtoWordData : kProtoByteData;
  Out(kAddress, t.Address());
  Out(kCommand, t.command);
  Out(kData0, t.data[0]);
  if (word) Out(kData1, t.data[1]);
  In(kControl);
  Out(kControl, protocol);
  ClearStatus(0x1F);
  uint8_t control = 0;
  if (!Get(kControl, &control)) return false;
  Out(kControl, control | kStart);
  uint8_t status = 0;
  const bool idle = Poll(kByteWordPolls, 1, false, [&] { return !((status = In(kStatus)) & kBusy); });
  Wait(1);
  if (!idle) return false;
  status = In(kStatus);  // settled, read once more after the last wait
  ClearStatus(0x1F);
  // Like a read, a write succeeded only when it completed with the
  // interrupt bit and no error: a slave that did not acknowledge leaves
  // device error, and a start the host ignored leaves no completion at all.
  return Completed(status);
}

bool Intel_ICH1_SMBusRegisterSpace::WaitFor(uint8_t bit, int polls, uint8_t* status) {
  for (int n = 0; n < polls; ++n) {
    *status = In(kStatus);
    // An unreadable status is all ones: never taken for a completed byte.
    if (*status != 0xFF && (*status & bit)) return true;
    // A transfer that ended in an error hands out no further byte.
    if (*status != 0xFF && (*status & (kDevErr | kBusErr | kFailed)) && !(*status & kBusy)) return false;
    WaitRound(n, 1);
  }
  return false;
}

bool Intel_ICH1_SMBusRegisterSpace::ReadBlockBytes(SMBusTransfer& t, bool stopOnError) {
  // A failed transfer is a block of the bytes taken before it failed (none
  // when the first did not come).
  int count = kMaxBlock, read = 0;
  Out(kAddress, t.Address());
  Out(kCommand, t.command);
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
    t.data[i - 1] = In(kBlockData);
    ++read;
    if (status & 0x9E) Out(kStatus, status & 0x9E);
    In(kStatus);
  }
  t.count = read;
  return true;
}

bool Intel_ICH1_SMBusRegisterSpace::WriteBlockBytes(SMBusTransfer& t, bool stopOnError, bool writeLastStatus) {
  const int count = t.count;
  Out(kAddress, t.Address());
  Out(kCommand, t.command);
  Out(kData0, static_cast<uint8_t>(count));
  Out(kBlockData, t.data[0]);
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
    Out(kBlockData, t.data[i]);
    if (status & 0x9E) Out(kStatus, status & 0x9E);
    status = In(kStatus);
  }
  // A single byte goes out with the start itself.
  if (count == 1) Out(kControl, kProtoBlock | kStart);
  if (!running) return false;
  // The last byte completes with byte done set; clearing it ends the
  // transaction (ICH4 and later write the whole status back).
  if (!WaitFor(kByteDone, pollLimit, &status)) return false;
  Out(kStatus, writeLastStatus ? static_cast<uint8_t>(status & 0x9E) : static_cast<uint8_t>(kByteDone));
  // Only then does the slave's acknowledgement of the block show: the
  // host ends with the interrupt bit, or with an error.
  if (!Poll(pollLimit + 1, 1, false, [&] {
        status = In(kStatus);
        return status != 0xFF && !(status & kBusy) && (status & (kIntr | kDevErr | kBusErr | kFailed));
      }))
    return false;
  if (status & 0x1E) Out(kStatus, status & 0x1E);
  return Completed(status);
}

bool Intel_ICH1_SMBusRegisterSpace::BufferedBlock(SMBusTransfer& t) {
  auto clearIfSet = [&] {
    if (uint8_t s = In(kStatus)) Out(kStatus, s);
  };
  Out(kAddress, t.Address());
  Out(kCommand, t.command);
  if (!t.read) {
    Out(kData0, static_cast<uint8_t>(t.count));
    In(kControl);  // resets the buffer index
    for (int i = 0; i < t.count; ++i) Out(kBlockData, t.data[i]);
  }
  Out(kControl, kProtoBlock);
  clearIfSet();
  Out(kControl, kProtoBlock | kStart);
  uint8_t status = 0xFF;
  if (!Poll(pollLimit, 1, true, [&] { return !((status = In(kStatus)) & kBusy); })) return false;
  if (status & (kDevErr | kBusErr | kFailed)) return false;
  clearIfSet();
  if (t.read) {
    t.count = std::min<int>(In(kData0), kMaxBlock);
    In(kControl);  // resets the buffer index
    for (int i = 0; i < t.count; ++i) t.data[i] = In(kBlockData);
  }
  return true;
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
