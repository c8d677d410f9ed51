#include "sdk/access/Intel_E8500_SMBusRegisterSpace.h"

#include "sdk/access/SMBusHostRegistry.h"

bool Intel_E8500_SMBusRegisterSpace::Handshake(uint32_t commandWord, bool write, uint32_t* status) {
  const uint32_t doneBit = write ? kWriteDone : kReadValid;
  // A status that does not answer ends the transaction: nothing is
  // written after it.
  bool unanswered = false;
  auto idle = [&] {
    if (!ReadStatus(status)) unanswered = true;
    return unanswered || !(*status & kBusy);
  };
  if (!Poll(pollLimit + 1, 10, false, idle) || unanswered) return false;
  if (!WriteReg(commandReg, commandWord)) return false;
  for (int n = 0; n < pollLimit; ++n) {
    if (!ReadStatus(status)) return false;
    if (!(*status & kBusy) || (*status & doneBit)) return true;
    Wait(10);
  }
  return false;
}

namespace {

constexpr SMBusConfigHostId kConfigIds[] = {{0x8086, 0x2621, 0x80, 0x84}};

}  // namespace

extern const SMBusHostClass kSMBusHostIntelE8500 = {"Intel_E8500_SMBusRegisterSpace", {}, nullptr, kConfigIds,
                                                    &MakeConfigSMBusHost<Intel_E8500_SMBusRegisterSpace>};
