// One PCI function found by the bus scan: its headers, capabilities and
// class text, and configuration reads and writes at its own address.
#pragma once

#include <cstdint>

#include "sdk/core/CDevice.h"
#include "sdk/core/CTList.h"

class CRegisterSpace;
class CPCICommonHeader;
class CPCIHeader;
class CPCICapability;

class CPCIDevice : public CDevice {
 public:
  CPCIDevice(CRegisterSpace* configSpace, uint8_t bus, uint8_t device, uint8_t function);
  ~CPCIDevice() override;
  virtual void Hook3(void*) {}
  virtual void Hook4(void*) {}
  virtual void Hook5(void*) {}

  // `value` preset to 0xFFFFFFFF; through `space` (a kind-2 or kind-3 space).
  int ReadConfig(uint32_t reg, uint32_t* value);
  int WriteConfig(uint32_t reg, uint32_t value);

  // Reads the common and typed headers, the capability list and (when
  // `expressSpace` is given and the function has the PCI Express
  // capability) the extended list through that space; then the class text.
  void ReadAll(CRegisterSpace* expressSpace);
  void ReadCapabilities();
  void ReadExtendedCapabilities();
  void BuildClassName();

  uint16_t VendorId() const;
  uint16_t DeviceId() const;

  CRegisterSpace* space;  // not owned
  uint8_t bus;
  uint8_t device;
  uint8_t function;
  CPCICommonHeader* commonHeader;                  // owned
  CPCIHeader* header = nullptr;                    // owned
  CTList<CPCICapability>* capabilities;            // owned with the elements
  CTList<CPCICapability>* extendedCapabilities;    // owned with the elements
  uint32_t capabilityMask = 0;
  uint32_t extendedCapabilityMask = 0;
  char* className;  // owned, 512 bytes

  static constexpr int kMaxCapabilities = 48;
  // (4096 - 256) / 4: no more extended structures fit in the page.
  static constexpr int kMaxExtendedCapabilities = 960;

 private:
  // The 64-byte standard header: one block request where the space goes
  // through the driver's configuration requests, dword by dword otherwise.
  void ReadStandardHeader(uint32_t dw[16]);
  // While ReadAll decodes the typed header: the copy its dwords come from,
  // so that the header is read from the function once, not twice.
  const uint32_t* headerCopy_ = nullptr;
};

// The class description of a class code, subclass and programming interface.
void PciClassText(uint8_t classCode, uint8_t subclass, uint8_t progIf, char* out, unsigned size);
