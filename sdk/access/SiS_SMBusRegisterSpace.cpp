#include "sdk/access/SiS_SMBusRegisterSpace.h"

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
  uint8_t status = In(0);
  for (int n = 0; !(status & 0x0E); ++n) {
    if (n >= pollLimit) return false;
    Wait(10);
    status = In(0);
  }
  Out(0, status);
  return !(status & 0x06) && status != 0xFF;
}

int SiS_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (!Prepare()) return 0;
  Out(4, static_cast<uint8_t>(slave << 1 | 1));
  Out(5, command);
  if (!Run(kByte, 0)) return 0;
  *value = In(dataReg_);
  Out(0, 0xFF);
  return 1;
}

int SiS_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  if (!Prepare()) return 0;
  Out(4, static_cast<uint8_t>(slave << 1 | 1));
  Out(5, command);
  if (!Run(kWord, 0)) return 0;
  *low = In(dataReg_);
  *high = In(dataReg_ + 1);
  Out(0, 0xFF);
  return 1;
}

int SiS_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  if (!Prepare()) return 0;
  Out(4, static_cast<uint8_t>(slave << 1));
  Out(5, command);
  Out(dataReg_, value);
  return Run(kByte, 0) ? 1 : 0;
}

int SiS_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  if (!Prepare()) return 0;
  Out(4, static_cast<uint8_t>(slave << 1));
  Out(5, command);
  Out(dataReg_, low);
  Out(dataReg_ + 1, high);
  return Run(kWord, 0) ? 1 : 0;
}

int SiS_SMBusRegisterSpace::ReadBlock(uint8_t slave, uint8_t command, uint8_t* buffer) {
  if (!Prepare()) return -1;
  Out(4, static_cast<uint8_t>(slave << 1 | 1));
  Out(5, command);
  if (!Run(kBlock, 50)) return -1;
  int count = In(7);
  if (count > kMaxBlock) count = kMaxBlock;
  int read = 0;
  while (read < count) {
    if (read > 0) {
      Out(0, 0x10);  // acknowledge the chunk, fetch the next one
      Wait(10);
    }
    for (int i = 0; i < chunk_ && read < count; ++i) buffer[read++] = In(blockReadReg_ + i);
  }
  Out(0, 0xFF);
  return read;
}

int SiS_SMBusRegisterSpace::WriteBlock(uint8_t slave, uint8_t command, const uint8_t* buffer, int count) {
  if (count < 0) return -1;
  if (count > kMaxBlock) count = kMaxBlock;
  if (!Prepare()) return -1;
  Out(4, static_cast<uint8_t>(slave << 1));
  Out(5, command);
  Out(7, static_cast<uint8_t>(count));
  int written = 0;
  for (int i = 0; i < chunk_ && written < count; ++i) Out(dataReg_ + i, buffer[written++]);
  if (!Run(kBlock, 0)) return -1;
  if (written == count) return written;
  while (written < count) {
    for (int i = 0; i < chunk_ && written < count; ++i) Out(dataReg_ + i, buffer[written++]);
    Out(0, 0x10);
    Wait(10);
  }
  // The later chunks end like the first: an error bit is a failed write.
  uint8_t status = 0;
  if (!Get(0, &status) || (status & 0x06)) return -1;
  return written;
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
