#include "sdk/access/nVidia_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"
#include "sdk/access/SdkDriver.h"

bool nVidia_SMBusRegisterSpace::Run(uint8_t address, uint8_t command, uint8_t protocol) {
  Out(2, address);
  Out(3, command);
  Out(0, protocol);
  uint8_t status = In(1);
  if (status == 0xFF || !(status & 0x80)) {
    Wait(20);
    status = In(1);
  }
  // Done with no error code; an unreadable status is not success.
  return status != 0xFF && (status & 0x80) && !(status & 0x1F);
}

int nVidia_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (OnPortWindow()) {
    if (CKMDriver* d = SdkDriver()) {
      uint8_t v = 0xFF;
      int r = d->SMBusReadByteNVIDIA(io->GetBaseLow(), slave, command, &v);
      // The in-kernel read looks at the done bit only: an error code left
      // in the status makes its byte worthless.
      if (r == 1) {
        if (In(1) & 0x1F) return 0;
        *value = v;
        return 1;
      }
      if (r == 0) return 0;
    }
  }
  if (!Run(static_cast<uint8_t>(slave << 1), command, kReadByte)) return 0;
  *value = In(4);
  return 1;
}

int nVidia_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  if (!Run(static_cast<uint8_t>(slave << 1), command, kReadWord)) return 0;
  *low = In(4);
  *high = In(5);
  return 1;
}

int nVidia_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  Out(4, value);
  return Run(static_cast<uint8_t>(slave << 1), command, kWriteByte) ? 1 : 0;
}

int nVidia_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  Out(4, low);
  Out(5, high);
  return Run(static_cast<uint8_t>(slave << 1), command, kWriteWord) ? 1 : 0;
}

// The PCI functions this host drives and how their bases are found.
namespace {

// Two hosts per function, their bases in a pair of configuration registers
// (0x50/0x54 on nForce2, 0x10/0x14 on nForce 3, 0x20/0x24 on the later ones).
template <uint32_t kRegister>
int NForceBases(SMBusHostFunction& c, uint32_t bases[2]) {
  c.DecodeIo();
  uint32_t a = c.R(kRegister), b = c.R(kRegister + 4);
  if (Answered(a)) bases[0] = a & 0xFFFC;
  if (Answered(b)) bases[1] = b & 0xFFFC;
  return 2;
}

constexpr auto k5054 = NForceBases<0x50>;
constexpr auto k1014 = NForceBases<0x10>;
constexpr auto k2024 = NForceBases<0x20>;
constexpr SMBusHostId kIds[] = {
    {0x10DE, 0x0034, k5054},       {0x10DE, 0x0052, k5054},       {0x10DE, 0x0064, k5054},
    {0x10DE, 0x0084, k5054},       {0x10DE, 0x00D4, k5054},       {0x10DE, 0x00E4, k5054},
    {0x10DE, 0x01B4, k1014},       {0x10DE, 0x0264, k2024, true}, {0x10DE, 0x0368, k2024, true},
    {0x10DE, 0x03EB, k2024, true}, {0x10DE, 0x0446, k2024, true}, {0x10DE, 0x0542, k2024, true},
    {0x10DE, 0x0752, k2024, true}, {0x10DE, 0x07D8, k2024, true}, {0x10DE, 0x0AA2, k2024, true},
    {0x10DE, 0x0D79, k2024, true},
};

}  // namespace

extern const SMBusHostClass kSMBusHostnVidia = {"nVidia_SMBusRegisterSpace", kIds, &MakeSMBusHost<nVidia_SMBusRegisterSpace>};
