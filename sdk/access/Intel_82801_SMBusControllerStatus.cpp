#include "sdk/access/Intel_82801_SMBusControllerStatus.h"

#include "sdk/access/CPCIDevice.h"
#include "sdk/access/ControllerStatusSupport.h"

namespace {
constexpr uint32_t kReg = 0xF0, kBit = 1u << 19;
}

int Intel_82801_SMBusControllerStatus::Save() {
  uint32_t v = 0;
  if (!device || !device->ReadConfig(kReg, &v)) return 1;
  saved = true;
  wasSet = v & kBit;
  return 1;
}

int Intel_82801_SMBusControllerStatus::Enable() {
  uint32_t v = 0;
  if (!saved || !wasSet || !device->ReadConfig(kReg, &v)) return 1;
  device->WriteConfig(kReg, v & ~kBit);
  SettleAndRescan();
  return 1;
}

int Intel_82801_SMBusControllerStatus::Restore() {
  uint32_t v = 0;
  if (!saved || !device->ReadConfig(kReg, &v)) return 1;
  device->WriteConfig(kReg, wasSet ? v | kBit : v & ~kBit);
  return 1;
}
