#include "sdk/access/ConfigBitStatus.h"

#include "sdk/access/CPCIDevice.h"
#include "sdk/access/ControllerStatusSupport.h"

int ConfigBitStatus::Save() {
  uint32_t v = 0;
  if (!device || !device->ReadConfig(bit.reg, &v)) return 1;
  saved = true;
  wasSet = v & bit.mask;
  return 1;
}

int ConfigBitStatus::Enable() {
  uint32_t v = 0;
  if (bit.enableSets) {
    if (saved && device->ReadConfig(bit.reg, &v)) device->WriteConfig(bit.reg, v | bit.mask);
    return 1;
  }
  if (!saved || !wasSet || !device->ReadConfig(bit.reg, &v)) return 1;
  device->WriteConfig(bit.reg, v & ~bit.mask);
  SettleAndRescan();
  return 1;
}

int ConfigBitStatus::Restore() {
  uint32_t v = 0;
  if (!saved || !device->ReadConfig(bit.reg, &v)) return 1;
  device->WriteConfig(bit.reg, wasSet ? v | bit.mask : v & ~bit.mask);
  return 1;
}
