#include "sdk/access/nVidia_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"
#include "sdk/access/SdkDriver.h"

bool nVidia_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (t.protocol == SMBusTransfer::kBlockData) return false;
  const bool word = t.protocol == SMBusTransfer::kWordData;
  if (t.read && !word && OnPortWindow()) {
    if (CKMDriver* d = SdkDriver()) {
      uint8_t v = 0xFF;
      const int r = d->SMBusReadByteNVIDIA(io->GetBaseLow(), t.slave, t.command, &v);
      // The in-kernel read looks at the done bit only: an error code left
      // in the status makes its byte worthless.
      if (r == 1) {
        if (In(1) & 0x1F) return false;
        t.data[0] = v;
        return true;
      }
      if (r == 0) return false;
    }
  }
  if (!t.read) {
    Out(4, t.data[0]);
    if (word) Out(5, t.data[1]);
  }
  // The address carries no read bit: the protocol code says which.
  Out(2, static_cast<uint8_t>(t.slave << 1));
  Out(3, t.command);
  Out(0, t.read ? (word ? kReadWord : kReadByte) : (word ? kWriteWord : kWriteByte));
  uint8_t status = 0xFF;
  Poll(2, 20, false, [&] {
    status = In(1);
    return status != 0xFF && (status & 0x80);
  });
  // Done with no error code; an unreadable status is not success.
  if (status == 0xFF || !(status & 0x80) || (status & 0x1F)) return false;
  if (t.read) {
    t.data[0] = In(4);
    if (word) t.data[1] = In(5);
  }
  return true;
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
