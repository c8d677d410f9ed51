// The PCI bus: both configuration paths, the scan into CPCIDevice records,
// the enhanced (memory-mapped) configuration base, and lookups.
#pragma once

#include <cstdint>

#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"

class CDevice;
class CPCIDevice;
class CRegisterSpace;
class CPCIRegisterSpace;
class CPCIRegisterSpace_2;

class CPCIInterface : public CInterface {
 public:
  CPCIInterface() : CInterface(INTERFACE_PCI) {}
  int Init() override;
  void Close() override {}

  CRegisterSpace* GetConfigSpace() const;
  CRegisterSpace* GetPCIExpressSpace() const;
  int ReadConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value);
  int WriteConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value);
  CPCIDevice* FindPCIDevice(uint32_t bus, uint32_t device, uint32_t function) const;
  int FindPCIDevicesByID(uint32_t vendorId, uint32_t deviceId, CTList<CPCIDevice>* list) const;
  // `subclass` -1 matches any subclass.
  int FindPCIDevicesByClass(int32_t classCode, int32_t subclass, CTList<CPCIDevice>* list) const;

  void ScanBus();
  void DetectEnhancedConfig();
  void AttachPCIExpressSpace();

  int32_t busCount = 256;
  int32_t deviceCount = 32;
  int32_t functionCount = 8;
  int32_t accessMode = 1;
  CPCIRegisterSpace* driverSpace = nullptr;   // owned by the facade
  CPCIRegisterSpace_2* portSpace = nullptr;   // owned by the facade

 private:
  // The extra probes through the port path: present functions without a
  // record get one; nothing is removed.
  void ProbeDevice(uint32_t bus, uint32_t device, CRegisterSpace* expressSpace);
  // Derives the MMCONFIG base from one device's chipset registers (0 = none).
  uint32_t EnhancedBaseOf(CPCIDevice* device);
};
