#include "sdk/graphics/GraphicsMonitorScan.h"

#include "sdk/access/CIORequest.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAPIHardwareMonitor.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CI2CRegisterSpace.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"

namespace {

// A device answers when registers 0x00 and 0x20 both read.
bool Present(CI2CRegisterSpace* space, int port, int address) {
  uint8_t v = 0xFF;
  return space->LockedReadByte(port, address, 0x00, &v) && space->LockedReadByte(port, address, 0x20, &v);
}

}  // namespace

int ScanGraphicsMonitors(CHardwareMonitorInterface& monitors) {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  int created = 0;
  CTList<CDevice> adapters;
  sdk.FindDevices(DEVICE_DISPLAY_ADAPTER | DEVICE_COMPOSITE, &adapters);
  for (CDevice* d : Items(&adapters)) {
    auto* a = static_cast<CDisplayAdapter*>(d);
    for (const CDisplayAdapter::APIEntry& e : a->apiEntries) {
      auto* m = new CDisplayAPIHardwareMonitor(a, e.api);
      if (m->CreateSensors()) {
        m->SetParent(a);
        monitors.monitors->Append(m);
        ++created;
      } else {
        delete m;
      }
    }
    CI2CRegisterSpace* space = a->apiI2C ? a->apiI2C : a->directI2C;
    if (!space) continue;
    space->SetAccessMode(0);
    const uint32_t family = static_cast<uint32_t>(a->familyCode);
    if ((family & 0xFFFFF000u) == 0x01060000u) {
      for (int port = 0; port < 4; ++port) {
        uint8_t vendor = 0xFF, chip = 0xFF;
        if (!Present(space, port, 0x2E) || !space->LockedReadByte(port, 0x2E, 0x3E, &vendor) || vendor != 0x41 ||
            !space->LockedReadByte(port, 0x2E, 0x3D, &chip))
          continue;
        monitors.CreateMonitor(a, 0x41, chip, space, new CI2CRequest(static_cast<uint8_t>(port), 0x2E));
        ++created;
      }
    } else if ((family & 0xFFFFF000u) == 0x02800000u) {
      for (int port = 0; port < 8; ++port) {
        uint8_t id = 0xFF;
        if (!Present(space, port, 0x70) || !space->LockedReadByte(port, 0x70, 0x1A, &id) || id != 0x0A) continue;
        monitors.CreateMonitor(a, 0xC002, 0x0A, space, new CI2CRequest(static_cast<uint8_t>(port), 0x70));
        ++created;
      }
    }
    space->SetAccessMode(1);
  }
  return created;
}
