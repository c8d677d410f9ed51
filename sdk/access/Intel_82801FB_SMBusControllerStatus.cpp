#include "sdk/access/Intel_82801FB_SMBusControllerStatus.h"

#include "platform/Machine.h"
#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/ControllerStatusSupport.h"
#include "sdk/core/QUARNSDK.h"

int Intel_82801FB_SMBusControllerStatus::Save() {
  uint32_t rcba = 0;
  if (!device || !device->ReadConfig(0xF0, &rcba)) return 1;
  if (!(rcba & 1)) {
    device->WriteConfig(0xF0, rcba | 1);
    plat::CurrentMachine().Sleep(10);
    if (!device->ReadConfig(0xF0, &rcba) || !(rcba & 1)) return 1;
  }
  uint32_t base = rcba & ~0x3FFFu;
  if (!base) return 1;  // the root complex block was never placed
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  window = sdk->FindIOSpace(0, base, IOSPACE_MEMORY);
  if (!window) {
    window = new CMemoryIOSpace(0, base, 0xFFFFFFFF);
    sdk->AddIOSpace(window);
  }
  uint32_t fd = 0;
  wasSet = window->Read32(kFunctionDisable, &fd) && (fd & bit);
  return 1;
}

void Intel_82801FB_SMBusControllerStatus::ClearBit() {
  uint32_t fd = 0;
  if (window->Read32(kFunctionDisable, &fd)) window->Write32(kFunctionDisable, fd & ~bit);
}

int Intel_82801FB_SMBusControllerStatus::Enable() {
  if (!window || !wasSet) return 1;
  ClearBit();
  SettleAndRescan();
  return 1;
}

int Intel_82801FB_SMBusControllerStatus::Restore() {
  if (window && wasSet) ClearBit();
  return 1;
}
