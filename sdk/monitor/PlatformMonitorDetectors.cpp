#include "sdk/monitor/PlatformMonitorDetectors.h"

#include "platform/Machine.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/GraphicsMonitorScan.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/monitor/OSPowerSupplyMonitor.h"

namespace {

// Facilities this platform does not offer: vendor SMI and EC interfaces,
// the SMC driver, the management engine's device interface, HID feature
// reports of power supplies and coolers.
int NotOffered(CHardwareMonitorInterface&, const char** why) {
  if (why) *why = "the facility it needs is not available on this platform";
  return 0;
}
// Chips whose drivers this build does not carry: found chips would be
// identification-only and are left to the chip families' own detectors.
int NoDriver(CHardwareMonitorInterface&, const char** why) {
  if (why) *why = "no driver for this chip in this build";
  return 0;
}
// The batteries and power supplies the operating system reports (the
// kernel's power_supply class); supplies that report no reading (a mains
// adapter's "online" alone) get no monitor.
int OsPowerSupplies(CHardwareMonitorInterface& monitors, const char** why) {
  int created = 0;
  for (const plat::PowerSupply& s : plat::CurrentMachine().PowerSupplies()) {
    if (!s.voltageNow && !s.currentNow && !s.powerNow && !s.capacity && !s.temp) continue;
    auto* m = new OSPowerSupplyMonitor(s);
    m->SetParent(QUARNSDK::GetInstance()->GetMainboard());
    monitors.monitors->Append(m);
    ++created;
  }
  if (!created && why) *why = "the operating system reports no battery or power supply readings";
  return created;
}
// The display adapters' readings and the chips on their I2C buses.
int Graphics(CHardwareMonitorInterface& monitors, const char** why) {
  const int created = ScanGraphicsMonitors(monitors);
  if (!created && why) *why = "no display adapter gives readings";
  return created;
}
// Domains that bring their own monitors when they are built.
int OtherDomain(CHardwareMonitorInterface&, const char** why) {
  if (why) *why = "created by its own domain";
  return 0;
}

}  // namespace

const PlatformDetector kPlatformDetectors[] = {
    {"abit", "uGuru on port 0xE0 of boards whose maker contains \"ABIT\"", NotOffered},
    {"notebooks", "ThinkPad, Dell SMI, Asus eeePC and Compal embedded controllers", NotOffered},
    {"VIA south bridge", "PCI 1106:3057 or 1106:3086 with an enabled monitor base", NoDriver},
    {"NVIDIA chipset", "PCI 10DE monitor functions with a base in register 0x64", NoDriver},
    {"Apple", "the SMC of Apple machines", NotOffered},
    {"Intel management engine", "a HECI device interface", NotOffered},
    {"Asus EC", "board 0x0002F310", NotOffered},
    {"Intel PCH thermal", "PCI 8086:3B32, 8086:1C24 or 8086:1D24", NoDriver},
    {"AMD south bridge", "PCI 1002:438D or 1002:439D on listed boards", NoDriver},
    {"ACPI", "ACPI thermal zones", NotOffered},
    {"memory modules", "FB-DIMM and DIMM thermal sensors", OtherDomain},
    {"graphics", "display-API sensors and graphics-card I2C monitors", Graphics},
    {"HID", "power supplies and coolers of known vendors", NotOffered},
    {"battery", "the operating system's batteries and power supplies", OsPowerSupplies},
};
const int kPlatformDetectorCount = sizeof(kPlatformDetectors) / sizeof(kPlatformDetectors[0]);

int RunPlatformDetectors(CHardwareMonitorInterface& monitors) {
  int created = 0;
  for (const PlatformDetector& d : kPlatformDetectors) created += d.detect(monitors, nullptr);
  return created;
}
