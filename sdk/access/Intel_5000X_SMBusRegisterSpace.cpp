#include "sdk/access/Intel_5000X_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

#include "sdk/access/CPCIConfigSpace.h"

Intel_5000X_SMBusRegisterSpace::Intel_5000X_SMBusRegisterSpace(CPCIConfigSpace* config, uint32_t bus, uint32_t device,
                                                               uint32_t function, uint32_t status, uint32_t command,
                                                               uint32_t controller)
    : CSMBusRegisterSpace(nullptr, controller, 2000),
      pciSpace(config),
      address(0x80000000u | bus << 16 | device << 11 | function << 8 | status),
      statusReg(status),
      commandReg(command),
      bus_(bus),
      device_(device),
      function_(function) {}

bool Intel_5000X_SMBusRegisterSpace::ReadReg(uint32_t reg, uint32_t* value) {
  *value = 0xFFFFFFFF;
  if (!pciSpace) return false;
  uint32_t v = 0xFFFFFFFF;
  if (!pciSpace->ReadConfig32(bus_, device_, function_, reg & ~3u, &v)) return false;
  *value = v >> ((reg & 3) * 8);
  return true;
}

bool Intel_5000X_SMBusRegisterSpace::WriteReg(uint32_t reg, uint32_t value) {
  return pciSpace && pciSpace->WriteConfig32(bus_, device_, function_, reg, value);
}

bool Intel_5000X_SMBusRegisterSpace::ReadStatus(uint32_t* status) {
  bool ok = ReadReg(statusReg, status);
  *status &= 0xFFFF;
  return ok;
}

bool Intel_5000X_SMBusRegisterSpace::Handshake(uint32_t commandWord, bool write, uint32_t* status) {
  const uint32_t doneBit = write ? kWriteDone : kReadValid;
  const uint32_t waitMs = write ? 10 : 0;
  if (!WriteReg(commandReg, commandWord)) return false;
  // A status that does not answer ends the transaction: nothing is
  // written after it.
  bool unanswered = false;
  auto idle = [&] {
    if (!ReadStatus(status)) unanswered = true;
    return unanswered || !(*status & kBusy);
  };
  if (!Poll(pollLimit + 1, waitMs, false, idle) || unanswered) return false;
  for (int n = 0; n < pollLimit; ++n) {
    uint32_t cmd = 0;
    if (!ReadReg(commandReg, &cmd)) return false;
    WriteReg(commandReg, cmd | 1u << 27);
    if (!ReadStatus(status)) return false;
    if ((*status & kBusy) && !(*status & (doneBit | kError))) break;
    WriteReg(commandReg, cmd & ~(1u << 27));
  }
  for (int n = 0; n < pollLimit; ++n) {
    if (!ReadStatus(status)) return false;
    if (!(*status & kBusy) || (*status & doneBit)) return true;
    Wait(waitMs);
  }
  return false;
}

bool Intel_5000X_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  if (t.protocol != SMBusTransfer::kByteData || t.slave > SlotMask()) return false;
  uint32_t word = (0xA0u | t.slave) << 24 | static_cast<uint32_t>(t.command) << 16;
  if (!t.read) word |= 1u | static_cast<uint32_t>(t.data[0]) << 8;
  uint32_t status = 0;
  if (!Handshake(word, !t.read, &status)) return false;
  const uint32_t done = t.read ? kReadValid : kWriteDone;
  if (!(status & done) || (status & kError)) return false;
  if (t.read) t.data[0] = static_cast<uint8_t>(status);
  return true;
}

// The memory controller hubs that carry the host on function 0, each with
// two register pairs (one per channel pair); device 0x2B02 has one pair,
// status and command the other way round.
namespace {

constexpr SMBusConfigHostId kConfigIds[] = {
    {0x8086, 0x25F5, 0x74, 0x78, true}, {0x8086, 0x25F5, 0x76, 0x7C, true},
    {0x8086, 0x25F6, 0x74, 0x78, true}, {0x8086, 0x25F6, 0x76, 0x7C, true},
    {0x8086, 0x360F, 0x74, 0x78, true}, {0x8086, 0x360F, 0x76, 0x7C, true},
    {0x8086, 0x3610, 0x74, 0x78, true}, {0x8086, 0x3610, 0x76, 0x7C, true},
    {0x8086, 0x4035, 0x74, 0x78, true}, {0x8086, 0x4035, 0x76, 0x7C, true},
    {0x8086, 0x4036, 0x74, 0x78, true}, {0x8086, 0x4036, 0x76, 0x7C, true},
    {0x8086, 0x2B02, 0x84, 0x80},
};

}  // namespace

extern const SMBusHostClass kSMBusHostIntel5000X = {"Intel_5000X_SMBusRegisterSpace", {}, nullptr, kConfigIds,
                                                    &MakeConfigSMBusHost<Intel_5000X_SMBusRegisterSpace>};
