#include "sdk/memory/CChipsetInterface.h"

#include <cstdio>

#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCacheDescriptor.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/core/QUARNSDK.h"

namespace {

template <size_t N>
void NameFromIds(CPCIDevice* d, char (&vendor)[64], char (&chip)[64], char (&revision)[N]) {
  const uint16_t v = d ? d->VendorId() : 0xFFFF, id = d ? d->DeviceId() : 0xFFFF;
  const uint8_t rev = d && d->commonHeader ? d->commonHeader->revision : 0xFF;
  std::snprintf(vendor, sizeof(vendor), "ID%04X", v);
  std::snprintf(chip, sizeof(chip), "ID%04X", id);
  std::snprintf(revision, N, "%02X", rev);
}

uint32_t ReadOwnConfig(CPCIDevice* d, uint32_t reg) {
  uint32_t v = 0xFFFFFFFF;
  if (!d || !d->ReadConfig(reg, &v)) return 0xFFFFFFFF;
  return v;
}

}  // namespace

CNorthBridge::CNorthBridge(CPCIDevice* pci) : device(pci) { NameFromIds(pci, vendorName, chipName, revisionName); }

uint32_t CNorthBridge::ReadConfig(uint32_t reg) { return ReadOwnConfig(device, reg); }

int CNorthBridge::WriteConfig(uint32_t reg, uint32_t value) { return device ? device->WriteConfig(reg, value) : 0; }

CSouthBridge::CSouthBridge(CPCIDevice* pci) : device(pci) { NameFromIds(pci, vendorName, chipName, revisionName); }

uint32_t CSouthBridge::ReadConfig(uint32_t reg) { return ReadOwnConfig(device, reg); }

int QUARNSDK::CreateChipsetInterface() {
  auto* chipset = new CChipsetInterface();
  const int ok = AdoptInterface(chipset, chipset->Init());
  if (ok) chipsetInterface = chipset;
  return ok;
}

CChipsetInterface::CChipsetInterface()
    : CInterface(INTERFACE_CHIPSET), northBridges(new CTList<CNorthBridge>()), memoryInfo(new CMemoryInfo()) {}

CChipsetInterface::~CChipsetInterface() {
  northBridges->DeleteAll();
  delete northBridges;
  delete southBridge;
  delete memoryInfo;
  delete boardCache;
  if (QUARNSDK::HasInstance() && QUARNSDK::GetInstance()->chipsetInterface == this)
    QUARNSDK::GetInstance()->chipsetInterface = nullptr;
}

int CChipsetInterface::Init() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  auto* pci = static_cast<CPCIInterface*>(sdk.FindInterface(INTERFACE_PCI));
  if (!pci) return 0;

  CTList<CPCIDevice> found;
  if (pci->FindPCIDevicesByClass(6, 1, &found) > 0) {
    southBridge = new CSouthBridge(found.At(0));
    IdentifySouthBridge(*southBridge);
  }
  found.Clear();
  pci->FindPCIDevicesByClass(6, 0, &found);
  for (CPCIDevice* d : Items(&found)) {
    auto* bridge = new CNorthBridge(d);
    IdentifyNorthBridge(*bridge, *memoryInfo);
    northBridges->Append(bridge);
    if (d->bus == 0 && d->device == 0 && d->function == 0) hostBridge = bridge;
  }
  // A host bridge of another class code still is the host bridge.
  if (!hostBridge) {
    if (CPCIDevice* d = pci->FindPCIDevice(0, 0, 0)) {
      auto* bridge = new CNorthBridge(d);
      IdentifyNorthBridge(*bridge, *memoryInfo);
      northBridges->Append(bridge);
      hostBridge = bridge;
    }
  }
  UpdateDramFrequency();
  return 1;
}

int CChipsetInterface::Refresh() {
  for (CNorthBridge* b : Items(northBridges)) IdentifyNorthBridge(*b, *memoryInfo);
  UpdateDramFrequency();
  return 1;
}

void CChipsetInterface::Close() {}

void CChipsetInterface::UpdateDramFrequency() {
  float bus = -1.0f, multiplier = -1.0f;
  if (QUARNSDK::HasInstance()) {
    if (auto* cpu = static_cast<CCPUInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_CPU))) {
      bus = cpu->busClock;
      if (CProcessor* p = cpu->GetProcessor(0)) multiplier = p->GetCoreMultiplier(0);
    }
  }
  memoryInfo->dramFrequency = ComputeDramFrequency(bus, multiplier);
}

float CChipsetInterface::ComputeDramFrequency(float busClock, float multiplier) const {
  const CMemoryInfo& m = *memoryInfo;
  if (m.fixedFrequency) return m.dramFrequency;
  if (busClock <= 0) return -1.0f;
  if (m.ratioValue > 0) return busClock * m.ratioValue;
  if (m.clockOffset > 0) return busClock + m.clockOffset;
  // A zero divisor is no divisor.
  if (m.clockDivisor != -1 && m.clockDivisor != 0 && multiplier > 0)
    return busClock * multiplier / static_cast<float>(m.clockDivisor);
  return -1.0f;
}
