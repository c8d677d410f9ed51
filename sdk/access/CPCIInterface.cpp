#include "sdk/access/CPCIInterface.h"

#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIExpressRegisterSpace.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIRegisterSpace.h"
#include "sdk/access/CPCIRegisterSpace_2.h"
#include "sdk/core/QUARNSDK.h"

int CPCIInterface::Init() {
  driverSpace = new CPCIRegisterSpace();
  portSpace = new CPCIRegisterSpace_2();
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  sdk->AddRegisterSpace(driverSpace);
  sdk->AddRegisterSpace(portSpace);
  return 1;
}

int QUARNSDK::CreatePCIInterface() {
  auto* pci = new CPCIInterface();
  int ok = AdoptInterface(pci, pci->Init());
  if (ok) pciInterface = pci;
  return ok;
}

CRegisterSpace* CPCIInterface::GetConfigSpace() const {
  if (accessMode == 1) return driverSpace;
  if (accessMode == 2) return portSpace;
  return nullptr;
}

CRegisterSpace* CPCIInterface::GetPCIExpressSpace() const {
  for (CRegisterSpace* s : Items(QUARNSDK::GetInstance()->GetRegisterSpaces()))
    if (s->kind == REGSPACE_PCI_EXPRESS) return s;
  return nullptr;
}

int CPCIInterface::ReadConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) {
  *value = 0xFFFFFFFF;
  CRegisterSpace* s = reg >= 256 ? GetPCIExpressSpace() : GetConfigSpace();
  if (!s) return 0;
  uint32_t v = 0xFFFFFFFF;
  if (!static_cast<CPCIConfigSpace*>(s)->ReadConfig32(bus, device, function, reg, &v)) return 0;
  *value = v;
  return 1;
}

int CPCIInterface::WriteConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value) {
  if (reg > 255) {
    CRegisterSpace* s = GetPCIExpressSpace();
    if (!s || !s->io || (reg & 3)) return 0;
    return s->io->Write32(CPCIExpressRegisterSpace::PageOffset(bus, device, function) | (reg & 0xFFF), value);
  }
  CRegisterSpace* s = GetConfigSpace();
  return s ? static_cast<CPCIConfigSpace*>(s)->WriteConfig32(bus, device, function, reg, value) : 0;
}

CPCIDevice* CPCIInterface::FindPCIDevice(uint32_t bus, uint32_t device, uint32_t function) const {
  for (CDevice* d : Items(QUARNSDK::GetInstance()->GetDevices())) {
    if (!(d->type & DEVICE_PCI)) continue;
    auto* p = static_cast<CPCIDevice*>(d);
    if (p->bus == (bus & 0xFF) && p->device == (device & 0xFF) && p->function == (function & 0xFF)) return p;
  }
  return nullptr;
}

int CPCIInterface::FindPCIDevicesByID(uint32_t vendorId, uint32_t deviceId, CTList<CPCIDevice>* list) const {
  if (list) list->Clear();
  int n = 0;
  for (CDevice* d : Items(QUARNSDK::GetInstance()->GetDevices())) {
    if (!(d->type & DEVICE_PCI)) continue;
    auto* p = static_cast<CPCIDevice*>(d);
    if (p->VendorId() != vendorId || p->DeviceId() != deviceId) continue;
    ++n;
    if (list) list->Append(p);
  }
  return n;
}

int CPCIInterface::FindPCIDevicesByClass(int32_t classCode, int32_t subclass, CTList<CPCIDevice>* list) const {
  if (list) list->Clear();
  int n = 0;
  for (CDevice* d : Items(QUARNSDK::GetInstance()->GetDevices())) {
    if (!(d->type & DEVICE_PCI)) continue;
    auto* p = static_cast<CPCIDevice*>(d);
    if (p->commonHeader->classCode != classCode) continue;
    if (subclass != -1 && p->commonHeader->subclass != subclass) continue;
    ++n;
    if (list) list->Append(p);
  }
  return n;
}

void CPCIInterface::ScanBus() {
  CRegisterSpace* active = GetConfigSpace();
  if (!active) return;
  auto* config = static_cast<CPCIConfigSpace*>(active);
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  CRegisterSpace* express = GetPCIExpressSpace();

  const int32_t total = busCount * deviceCount;
  for (int32_t n = 0; n < total; ++n) {
    uint32_t bus = (static_cast<uint32_t>(n) >> 5) & 0xFF, dev = static_cast<uint32_t>(n) & 0x1F;
    for (int32_t fn = 0; fn < functionCount; ++fn) {
      uint32_t id = 0xFFFFFFFF;
      config->ReadConfig32(bus, dev, fn, 0, &id);
      CPCIDevice* record = FindPCIDevice(bus, dev, fn);
      if ((id & 0xFFFF) == 0xFFFF) {
        // The function stopped answering (hidden again, or gone).
        if (record && sdk->RemoveDevice(record)) delete record;
        if (fn == 0) break;
        continue;
      }
      if (!record) {
        record = new CPCIDevice(active, static_cast<uint8_t>(bus), static_cast<uint8_t>(dev), static_cast<uint8_t>(fn));
        record->ReadAll(express);
        sdk->AddDevice(record);
      }
      if (fn == 0 && !(record->commonHeader->headerType & 0x80)) break;
    }
  }

  // The processor's northbridge functions, and the uncore buses, which
  // some chipsets answer only through the port mechanism.
  for (uint32_t dev = 24; dev <= 27; ++dev) ProbeDevice(0, dev, express);
  for (uint32_t bus : {63u, 127u, 255u})
    for (uint32_t dev = 0; dev < 32; ++dev) ProbeDevice(bus, dev, express);

  if (!express) {
    DetectEnhancedConfig();
    AttachPCIExpressSpace();
  }
}

void CPCIInterface::ProbeDevice(uint32_t bus, uint32_t dev, CRegisterSpace* express) {
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  for (uint32_t fn = 0; fn < 8; ++fn) {
    uint32_t id = 0xFFFFFFFF;
    portSpace->ReadConfig32(bus, dev, fn, 0, &id);
    if ((id & 0xFFFF) == 0xFFFF) continue;
    CPCIDevice* record = FindPCIDevice(bus, dev, fn);
    if (!record) {
      record = new CPCIDevice(portSpace, static_cast<uint8_t>(bus), static_cast<uint8_t>(dev), static_cast<uint8_t>(fn));
      record->ReadAll(express);
      sdk->AddDevice(record);
    }
    if (fn == 0 && !(record->commonHeader->headerType & 0x80)) break;
  }
}

void CPCIInterface::AttachPCIExpressSpace() {
  CRegisterSpace* express = GetPCIExpressSpace();
  if (!express) return;
  for (CDevice* d : Items(QUARNSDK::GetInstance()->GetDevices())) {
    if (!(d->type & DEVICE_PCI)) continue;
    auto* p = static_cast<CPCIDevice*>(d);
    if (!(p->capabilityMask & 0x10000)) continue;
    p->space = express;
    p->ReadExtendedCapabilities();
  }
}

void CPCIInterface::DetectEnhancedConfig() {
  if (GetPCIExpressSpace() || !GetConfigSpace()) return;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  uint32_t base = 0;
  for (CDevice* d : Items(sdk->GetDevices())) {
    if (!(d->type & DEVICE_PCI)) continue;
    uint32_t b = EnhancedBaseOf(static_cast<CPCIDevice*>(d));
    if (b) base = b;  // the last match in list order wins
  }
  if (!base) return;
  auto* window = new CMemoryIOSpace(0, base, 0x1000);
  sdk->AddIOSpace(window);
  sdk->AddRegisterSpace(new CPCIExpressRegisterSpace(window));
}
