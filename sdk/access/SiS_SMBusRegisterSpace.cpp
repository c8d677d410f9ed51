#include "sdk/access/SiS_SMBusRegisterSpace.h"

#include <algorithm>

#include "sdk/access/SMBusHostRegistry.h"

bool SiS_SMBusRegisterSpace::Prepare() {
  // Every write here depends on a read; a register that did not answer
  // ends the transaction before anything is written.
  uint8_t semaphore = 0, status = 0;
  if (!Get(2, &semaphore)) return false;
  if (semaphore & 0x03) {
    Out(3, 0x20);  // kill
    if (!Get(2, &semaphore) || (semaphore & 0x03)) return false;
  }
  if (!Get(0, &status)) return false;
  if (claimSemaphore_) Out(2, 0x20);
  Out(0, status & 0x1E);
  return true;
}

bool SiS_SMBusRegisterSpace::Run(uint8_t protocol, uint32_t settleMs) {
  Out(3, protocol);
  Wait(settleMs ? settleMs : 10);
  uint8_t status = 0xFF;
  if (!Poll(pollLimit + 1, 10, false, [&] { return (status = In(0)) & 0x0E; })) return false;
  Out(0, status);
  return !(status & 0x06) && status != 0xFF;
}

bool SiS_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (!Prepare()) return false;
  Out(4, t.Address());
  Out(5, t.command);
  if (t.protocol != SMBusTransfer::kBlockData) {
    const bool word = t.protocol == SMBusTransfer::kWordData;
    if (!t.read) {
      Out(dataReg_, t.data[0]);
      if (word) Out(dataReg_ + 1, t.data[1]);
    }
    if (!Run(word ? kWord : kByte, 0)) return false;
    if (t.read) {
      t.data[0] = In(dataReg_);
      if (word) t.data[1] = In(dataReg_ + 1);
      Out(0, 0xFF);
    }
    return true;
  }
  if (t.read) {
    if (!Run(kBlock, 50)) return false;
    const int count = std::min<int>(In(7), kMaxBlock);
    int read = 0;
    while (read < count) {
      if (read > 0) {
        Out(0, 0x10);  // acknowledge the chunk, fetch the next one
        Wait(10);
      }
      for (int i = 0; i < chunk_ && read < count; ++i) t.data[read++] = In(blockReadReg_ + i);
    }
    Out(0, 0xFF);
    t.count = read;
    return true;
  }
  Out(7, static_cast<uint8_t>(t.count));
  int written = 0;
  for (int i = 0; i < chunk_ && written < t.count; ++i) Out(dataReg_ + i, t.data[written++]);
  if (!Run(kBlock, 0)) return false;
  if (written == t.count) return true;
  while (written < t.count) {
    for (int i = 0; i < chunk_ && written < t.count; ++i) Out(dataReg_ + i, t.data[written++]);
    Out(0, 0x10);
    Wait(10);
  }
  // The later chunks end like the first: an error bit is a failed write.
  uint8_t status = 0;
  return Get(0, &status) && !(status & 0x06);
}

// The PCI functions this host drives and how their bases are found.
namespace {

int SiS0016Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t v = c.R(0x20);
  if (Answered(v)) bases[0] = v & 0xFFE0;
  return 1;
}

int SiS0630Bases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0x68);
  if (Answered(v) && (v & 1)) bases[0] = (v & 0xFFE0) + 0x80;
  return 1;
}

// The 964 and 965/966 south bridges: the ACPI base in 0x74 plus the
// SMBus block's offset.
template <uint32_t kOffset>
int SiS96xBases(SMBusHostFunction& c, uint32_t bases[2]) {
  uint32_t v = c.R(0x74);
  if (Answered(v) && (v & 0xFFF0)) bases[0] = (v & 0xFFF0) + kOffset;
  return 1;
}

constexpr SMBusHostId kIds[] = {
    {0x1039, 0x0016, SiS0016Bases},      {0x1039, 0x0630, SiS0630Bases},      {0x1039, 0x0964, SiS96xBases<0xE0>},
    {0x1039, 0x0965, SiS96xBases<0xD0>}, {0x1039, 0x0966, SiS96xBases<0xD0>},
};

}  // namespace

extern const SMBusHostClass kSMBusHostSiS = {"SiS_SMBusRegisterSpace", kIds, &MakeSMBusHost<SiS_SMBusRegisterSpace>};
