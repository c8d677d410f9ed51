#include "sdk/access/CPCIDevice.h"

#include <cstdio>
#include <cstring>

#include "sdk/access/CPCICapability.h"
#include "sdk/access/CPCIConfigSpace.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIRegisterSpace.h"

CPCIDevice::CPCIDevice(CRegisterSpace* configSpace, uint8_t b, uint8_t d, uint8_t f)
    : CDevice(DEVICE_PCI),
      space(configSpace),
      bus(b),
      device(d),
      function(f),
      commonHeader(new CPCICommonHeader()),
      capabilities(new CTList<CPCICapability>()),
      extendedCapabilities(new CTList<CPCICapability>()),
      className(new char[512]()) {}

CPCIDevice::~CPCIDevice() {
  delete commonHeader;
  delete header;
  capabilities->DeleteAll();
  delete capabilities;
  extendedCapabilities->DeleteAll();
  delete extendedCapabilities;
  delete[] className;
}

uint16_t CPCIDevice::VendorId() const { return commonHeader->vendorId; }
uint16_t CPCIDevice::DeviceId() const { return commonHeader->deviceId; }

int CPCIDevice::ReadConfig(uint32_t reg, uint32_t* value) {
  *value = 0xFFFFFFFF;
  if (headerCopy_ && reg < 64 && (reg & 3) == 0) {
    *value = headerCopy_[reg / 4];
    return 1;
  }
  if (!space || (space->kind != REGSPACE_PCI && space->kind != REGSPACE_PCI_EXPRESS)) return 0;
  return static_cast<CPCIConfigSpace*>(space)->ReadConfig32(bus, device, function, reg, value);
}

int CPCIDevice::WriteConfig(uint32_t reg, uint32_t value) {
  if (!space || (space->kind != REGSPACE_PCI && space->kind != REGSPACE_PCI_EXPRESS)) return 0;
  return static_cast<CPCIConfigSpace*>(space)->WriteConfig32(bus, device, function, reg, value);
}

void CPCIDevice::ReadStandardHeader(uint32_t dw[16]) {
  for (uint32_t i = 0; i < 16; ++i) dw[i] = 0xFFFFFFFF;
  if (dynamic_cast<CPCIRegisterSpace*>(space)) {
    uint8_t bytes[64];
    CPCIRequest request(bus, device, function);
    request.op = IOOP_BLOCK | IOOP_READ;
    request.reg = 0;
    request.data = sizeof(bytes);
    request.buffer = bytes;
    if (space->Execute(&request)) {
      std::memcpy(dw, bytes, sizeof(bytes));
      return;
    }
  }
  for (uint32_t i = 0; i < 16; ++i) ReadConfig(i * 4, &dw[i]);
}

void CPCIDevice::ReadAll(CRegisterSpace* expressSpace) {
  uint32_t dw[16];
  ReadStandardHeader(dw);
  commonHeader->Decode(dw);
  delete header;
  header = nullptr;
  switch (commonHeader->headerType & 0x7F) {
    case 0: header = new CPCIHeaderType0(); break;
    case 1: header = new CPCIHeaderType1(); break;
    case 2: header = new CPCIHeaderType2(); break;
    default: break;
  }
  if (header) {
    headerCopy_ = dw;
    header->ReadHeader(this);
    headerCopy_ = nullptr;
  }
  ReadCapabilities();
  if (expressSpace && (capabilityMask & 0x10000)) {
    space = expressSpace;
    ReadExtendedCapabilities();
  }
  BuildClassName();
}

void CPCIDevice::ReadCapabilities() {
  capabilities->DeleteAll();
  capabilityMask = 0;
  if (!header) return;
  uint32_t pointer = header->GetCapabilitiesPointer();
  // The bound also ends a list whose next pointers loop.
  for (int n = 0; n < kMaxCapabilities && pointer > 63; ++n) {
    uint32_t offset = pointer & 0xFC, dw = 0xFFFFFFFF;
    ReadConfig(offset, &dw);
    uint32_t id = dw & 0xFF;
    if (id == 0xFF) break;
    CPCICapability* cap = CPCICapability::Create(static_cast<int32_t>(id));
    cap->offset = static_cast<int32_t>(offset);
    cap->ReadCapability(this);
    capabilityMask |= 1u << (id & 31);
    capabilities->Append(cap);
    pointer = (dw >> 8) & 0xFF;
  }
}

void CPCIDevice::ReadExtendedCapabilities() {
  extendedCapabilities->DeleteAll();
  extendedCapabilityMask = 0;
  uint32_t offset = 0x100;
  for (int n = 0; n < kMaxExtendedCapabilities && offset; ++n) {
    uint32_t dw = 0xFFFFFFFF;
    ReadConfig(offset, &dw);
    uint32_t id = dw & 0xFFFF;
    if (id == 0 || id == 0xFFFF) break;
    CPCICapability* cap = CPCICapability::CreateExtended(static_cast<int32_t>(id));
    cap->offset = static_cast<int32_t>(offset);
    cap->ReadCapability(this);
    extendedCapabilityMask |= 1u << (id & 31);
    extendedCapabilities->Append(cap);
    offset = dw >> 20;
  }
}

void CPCIDevice::BuildClassName() {
  PciClassText(commonHeader->classCode, commonHeader->subclass, commonHeader->progIf, className, 512);
}
