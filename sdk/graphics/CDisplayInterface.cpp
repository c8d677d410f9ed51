#include "sdk/graphics/CDisplayInterface.h"

#include <cstdio>

#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/ADL_SDK_DisplayAPI.h"
#include "sdk/graphics/ATI_DirectIO_DisplayAPI.h"
#include "sdk/graphics/CDisplayAPI.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/Intel_DirectIO_DisplayAPI.h"
#include "sdk/graphics/NVAPI_DisplayAPI.h"
#include "sdk/graphics/NVIDIA_DirectIO_DisplayAPI.h"

namespace {

std::vector<CDisplayInterface::BackendFactory>& TestBackends() {
  static std::vector<CDisplayInterface::BackendFactory> factories;
  return factories;
}

uint32_t VendorCode(uint16_t pciVendor) {
  switch (pciVendor) {
    case 0x10DE: return DISPLAY_VENDOR_NVIDIA;
    case 0x1002: return DISPLAY_VENDOR_ATI;
    case 0x8086: return DISPLAY_VENDOR_INTEL;
    default: return 0;
  }
}

}  // namespace

int QUARNSDK::CreateDisplayInterface(uint32_t mask) {
  auto* display = new CDisplayInterface(mask);
  const int ok = AdoptInterface(display, display->Init());
  if (ok) displayInterface = display;
  return ok;
}

void CDisplayInterface::SetBackendsForTest(std::vector<BackendFactory> factories) {
  TestBackends() = std::move(factories);
}

CDisplayInterface::CDisplayInterface(uint32_t m)
    : CInterface(INTERFACE_DISPLAY), adapters(new CTList<CDevice>()), apis(new CTList<CDisplayAPI>()), mask(m) {}

CDisplayInterface::~CDisplayInterface() {
  if (QUARNSDK::HasInstance() && QUARNSDK::GetInstance()->displayInterface == this)
    QUARNSDK::GetInstance()->displayInterface = nullptr;
  apis->DeleteAll();
  delete apis;
  delete adapters;
}

void CDisplayInterface::ClearAdapters() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  for (CDevice* d : Items(adapters))
    if (sdk.RemoveDevice(d)) delete d;
  adapters->Clear();
  for (CDisplayAPI* api : Items(apis)) api->Close();
  apis->DeleteAll();
}

void CDisplayInterface::AddBackend(CDisplayAPI* api) {
  if (api->Init()) apis->Append(api);
  else {
    api->Close();
    delete api;
  }
}

int CDisplayInterface::Init() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  ClearAdapters();
  auto* pci = static_cast<CPCIInterface*>(sdk.FindInterface(INTERFACE_PCI));
  if (pci) {
    CTList<CPCIDevice> found;
    pci->FindPCIDevicesByClass(3, -1, &found);
    for (CPCIDevice* p : Items(&found)) {
      auto* a = new CDisplayAdapter();
      a->AddChild(p);
      a->deviceId = p->DeviceId();
      const uint32_t vendor = VendorCode(p->VendorId());
      if (vendor) a->familyCode = static_cast<int>(vendor);
      // This platform has no display-device list with marketing names: the
      // PCI identity names the adapter until a backend knows better.
      std::snprintf(a->name, sizeof(a->name), "Display adapter %04X:%04X", p->VendorId(), p->DeviceId());
      std::snprintf(a->boardName, sizeof(a->boardName), "%02X:%02X.%X", p->bus, p->device, p->function);
      a->index = adapters->count;
      adapters->Append(a);
      sdk.AddDevice(a);
    }
  }
  if (!TestBackends().empty()) {
    for (BackendFactory f : TestBackends()) AddBackend(f(*this));
  } else {
    if (!AdaptersOf(DISPLAY_VENDOR_NVIDIA).empty()) {
      AddBackend(new NVIDIA_DirectIO_DisplayAPI(this));
      if (mask & 1) AddBackend(new NVAPI_DisplayAPI(this));
    }
    if (!AdaptersOf(DISPLAY_VENDOR_ATI).empty()) {
      AddBackend(new ATI_DirectIO_DisplayAPI(this));
      if (mask & 1) AddBackend(new ADL_SDK_DisplayAPI(this));
    }
    if (!AdaptersOf(DISPLAY_VENDOR_INTEL).empty()) AddBackend(new Intel_DirectIO_DisplayAPI(this));
  }
  Refresh();
  return 1;
}

void CDisplayInterface::Close() {
  for (CDisplayAPI* api : Items(apis)) api->Close();
}

void CDisplayInterface::Refresh() {
  for (CDevice* d : Items(adapters)) static_cast<CDisplayAdapter*>(d)->Refresh();
}

CDisplayAdapter* CDisplayInterface::AdapterAt(int i) const {
  return i < 0 ? nullptr : static_cast<CDisplayAdapter*>(adapters->At(i));
}

CDisplayAdapter* CDisplayInterface::FindAdapter(const CPCIDevice* pciDevice) const {
  for (CDevice* d : Items(adapters)) {
    auto* a = static_cast<CDisplayAdapter*>(d);
    if (a->PciDevice() == pciDevice) return a;
  }
  return nullptr;
}

CDisplayAdapter* CDisplayInterface::FindAdapterByLocation(uint32_t bus, uint32_t device, uint32_t function) const {
  for (CDevice* d : Items(adapters)) {
    auto* a = static_cast<CDisplayAdapter*>(d);
    const CPCIDevice* p = a->PciDevice();
    if (p && p->bus == bus && p->device == device && p->function == function) return a;
  }
  return nullptr;
}

int CDisplayInterface::FindAdapters(uint32_t vendor, uint32_t device, CTList<CDisplayAdapter>* out) const {
  int n = 0;
  for (CDevice* d : Items(adapters)) {
    auto* a = static_cast<CDisplayAdapter*>(d);
    const CPCIDevice* p = a->PciDevice();
    if (p && p->VendorId() == vendor && p->DeviceId() == device) {
      if (out) out->Append(a);
      ++n;
    }
  }
  return n;
}

std::vector<CDisplayAdapter*> CDisplayInterface::AdaptersOf(uint32_t vendorCode) const {
  std::vector<CDisplayAdapter*> out;
  for (CDevice* d : Items(adapters)) {
    auto* a = static_cast<CDisplayAdapter*>(d);
    if (a->Vendor() == vendorCode) out.push_back(a);
  }
  return out;
}

CIOSpace* CDisplayInterface::MapRegisters(CDisplayAdapter* a, uint32_t barOffset, uint32_t size) {
  CPCIDevice* p = a ? a->PciDevice() : nullptr;
  if (!p) return nullptr;
  uint32_t bar = 0xFFFFFFFF, high = 0;
  if (!p->ReadConfig(barOffset, &bar) || bar == 0xFFFFFFFF || (bar & 1)) return nullptr;
  // A 64-bit memory BAR continues in the next register.
  if (((bar >> 1) & 3) == 2) {
    uint32_t upper = 0xFFFFFFFF;
    if (!p->ReadConfig(barOffset + 4, &upper) || upper == 0xFFFFFFFF) return nullptr;
    high = upper;
  }
  const uint32_t low = bar & ~0xFu;
  if (!low && !high) return nullptr;
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  if (CIOSpace* existing = sdk.FindIOSpace(high, low, IOSPACE_MEMORY)) return existing;
  auto* window = new CMemoryIOSpace(high, low, size);
  sdk.AddIOSpace(window);
  return window;
}
