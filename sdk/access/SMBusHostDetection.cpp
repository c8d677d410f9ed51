// Finding the SMBus hosts from the PCI functions: the host classes the build
// listed (SMBusHostRegistry.h), each with its PCI ids and base rules, or
// with the functions whose configuration registers hold a host (the
// SPD-only hosts of memory controllers).
#include <cstdint>

#include "platform/Machine.h"

#include "sdk/access/CPCIConfigSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/Kernel_SMBusRegisterSpace.h"
#include "sdk/access/SMBusHostRegistry.h"
#include "sdk/access/SdkDriver.h"
#include "sdk/core/QUARNSDK.h"

// The host classes' definitions, generated from sdk/access/*.cpp.
#define TORVIK_SMBUS_HOST(name) extern const SMBusHostClass name;
#include "SMBusHostList.inc"
#undef TORVIK_SMBUS_HOST

namespace {

constexpr const SMBusHostClass* kHostClasses[] = {
#define TORVIK_SMBUS_HOST(name) &name,
#include "SMBusHostList.inc"
#undef TORVIK_SMBUS_HOST
};

}  // namespace

std::span<const SMBusHostClass* const> SMBusHostClasses() { return kHostClasses; }

uint32_t SMBusHostFunction::R(uint32_t reg) {
  uint32_t v = 0xFFFFFFFF;
  if (!d->ReadConfig(reg & ~3u, &v)) return 0xFFFFFFFF;
  return v >> ((reg & 3) * 8);
}

bool SMBusHostFunction::Ok(uint32_t reg, uint32_t* v) { return d->ReadConfig(reg, v); }

void SMBusHostFunction::W(uint32_t reg, uint32_t v) { d->WriteConfig(reg, v); }

void SMBusHostFunction::DecodeIo() {
  uint32_t v = 0;
  if (Ok(0x04, &v) && !(v & 1)) W(0x04, v | 1);
}

bool SMBusHostFunction::EnsureD2() {
  uint32_t v = 0;
  if (!Ok(0xD0, &v)) return false;
  if (!(v & 0x10000)) {
    W(0xD0, v | 0x10000);
    if (!Ok(0xD0, &v)) return false;
  }
  return v & 0x10000;
}

uint32_t PmIoBase() {
  CKMDriver* drv = SdkDriver();
  if (!drv) return 0;
  auto pm = [&](uint8_t index, uint8_t* v) { return drv->WritePort8(0xCD6, index) && drv->ReadPort8(0xCD7, v); };
  uint8_t hi = 0, lo = 0;
  if (!pm(0x2D, &hi) || !pm(0x2C, &lo)) return 0;
  uint32_t base = static_cast<uint32_t>(hi) << 8 | (lo & 0xE0);
  return base == 0xFFE0 ? 0 : base;
}

CIOSpace* SMBusPortWindow(QUARNSDK& sdk, uint32_t base) {
  if (CIOSpace* s = sdk.FindIOSpace(0, base, IOSPACE_PORT)) return s;
  auto* window = new CPortIOSpace(base, 0xFFFFFFFF);
  sdk.AddIOSpace(window);
  return window;
}

namespace {

// The PCI functions among the SDK's devices.
void PciFunctions(QUARNSDK& sdk, CTList<CPCIDevice>* functions) {
  for (CDevice* d : Items(sdk.GetDevices()))
    if (d->type & DEVICE_PCI) functions->Append(static_cast<CPCIDevice*>(d));
}

// The host class and id row of a function, or false.
bool FindHost(const CPCIDevice& d, const SMBusHostClass** host, const SMBusHostId** id) {
  for (const SMBusHostClass* h : kHostClasses)
    for (const SMBusHostId& row : h->ids)
      if (d.VendorId() == row.vendor && d.DeviceId() == row.device) {
        *host = h;
        *id = &row;
        return true;
      }
  return false;
}

}  // namespace

void DetectSMBusHosts(QUARNSDK& sdk) {
  CTList<CPCIDevice> functions;
  PciFunctions(sdk, &functions);
  for (CPCIDevice* d : Items(&functions)) {
    const SMBusHostClass* host;
    const SMBusHostId* row;
    if (!FindHost(*d, &host, &row)) continue;
    const uint32_t controller = row->recordsController ? static_cast<uint32_t>(row->vendor) << 16 | row->device
                                                       : 0xFFFFFFFF;
    // A host the operating system's driver runs is reached through that
    // driver only: no base rule (they write configuration registers) and
    // no access to its ports.
    if (auto adapter = plat::CurrentMachine().KernelSmbusAdapter(d->bus, d->device, d->function)) {
      sdk.AddRegisterSpace(new Kernel_SMBusRegisterSpace(std::move(adapter), controller));
      continue;
    }
    SMBusHostFunction function{sdk, d};
    uint32_t bases[2] = {0, 0};
    const int n = row->bases(function, bases);
    for (int i = 0; i < n && i < 2; ++i)
      if (bases[i]) sdk.AddRegisterSpace(host->create(SMBusPortWindow(sdk, bases[i]), controller));
  }
}

void DetectSPDHosts(QUARNSDK& sdk) {
  CTList<CPCIDevice> functions;
  PciFunctions(sdk, &functions);
  for (CPCIDevice* d : Items(&functions)) {
    if (!d->space) continue;
    auto* config = static_cast<CPCIConfigSpace*>(d->space);
    for (const SMBusHostClass* host : kHostClasses)
      for (const SMBusConfigHostId& row : host->configIds) {
        if (row.vendor != d->VendorId() || row.device != d->DeviceId()) continue;
        if (row.functionZeroOnly) {
          uint32_t v = 0xFFFFFFFF;
          if (d->function != 0 || !d->ReadConfig(row.status & ~3u, &v) ||
              ((v >> ((row.status & 3) * 8)) & 0xFFFF) == 0xFFFF)
            continue;
        }
        const uint32_t controller = static_cast<uint32_t>(row.vendor) << 16 | row.device;
        sdk.AddRegisterSpace(host->createInConfig(config, d->bus, d->device, d->function, row, controller));
      }
  }
}
