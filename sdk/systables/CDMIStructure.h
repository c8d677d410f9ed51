// Decoded SMBIOS structures: one small record per structure type the
// program uses. Strings are cleaned copies, empty when absent.
#pragma once

#include <cstdint>

namespace dmi {
struct StructureView;
}

class CDMIStructure {
 public:
  explicit CDMIStructure(int32_t t) : type(t) {}
  virtual ~CDMIStructure() = default;
  virtual void Hook1(void*) {}
  virtual void Hook2(void*) {}

  int32_t type;

  // The record for a structure, or null for types that are not decoded.
  static CDMIStructure* Decode(const dmi::StructureView& s);
};

class CDMI_Bios : public CDMIStructure {
 public:
  CDMI_Bios() : CDMIStructure(0) {}
  char vendor[256] = {}, version[256] = {}, releaseDate[256] = {};
  int32_t romSizeKB = -1;
};

class CDMI_System : public CDMIStructure {
 public:
  CDMI_System() : CDMIStructure(1) {}
  char manufacturer[256] = {}, productName[256] = {}, version[256] = {}, serialNumber[256] = {};
  uint8_t uuid[16] = {};
};

class CDMI_Baseboard : public CDMIStructure {
 public:
  CDMI_Baseboard() : CDMIStructure(2) {}
  char manufacturer[256] = {}, product[256] = {}, version[256] = {}, serialNumber[256] = {};
};

class CDMI_SystemEnclosure : public CDMIStructure {
 public:
  CDMI_SystemEnclosure() : CDMIStructure(3) {}
  char manufacturer[256] = {}, chassisType[256] = {}, serialNumber[256] = {};
};

class CDMI_Processor : public CDMIStructure {
 public:
  CDMI_Processor() : CDMIStructure(4) {}
  uint8_t family = 0;
  char manufacturer[128] = {}, version[128] = {};
  float externalClockMHz = 0, currentSpeedMHz = 0;
  float multiplier = -1.0f;

  // The ratio of the two clocks rounded to the nearest half; -1 unless both are above 0.
  static float Multiplier(float currentMHz, float externalMHz);
};

class CDMI_MemoryController : public CDMIStructure {
 public:
  CDMI_MemoryController() : CDMIStructure(5) {}
  char errorDetection[256] = {};
  int32_t maxModuleSizeMB = -1;
};

class CDMI_MemoryModule : public CDMIStructure {
 public:
  CDMI_MemoryModule() : CDMIStructure(6) {}
  char socket[256] = {};
  int32_t installedSizeMB = -1, banks = 1, speedNs = -1;
};

class CDMI_PortConnector : public CDMIStructure {
 public:
  CDMI_PortConnector() : CDMIStructure(8) {}
  char internalReference[256] = {}, externalReference[256] = {};
  uint8_t internalConnector = 0, externalConnector = 0, portType = 0;
  char portTypeName[256] = {};
};

class CDMI_ExtensionSlot : public CDMIStructure {
 public:
  CDMI_ExtensionSlot() : CDMIStructure(9) {}
  char designation[64] = {};
  uint8_t slotType = 0;
  int32_t dataBusWidth = -1, inUse = -1;
  uint16_t slotId = 0;
};

class CDMI_OEM_Strings : public CDMIStructure {
 public:
  CDMI_OEM_Strings() : CDMIStructure(11) {}
  int32_t count = 0;
  char strings[16][256] = {};
};

class CDMI_PhysicalMemoryArray : public CDMIStructure {
 public:
  CDMI_PhysicalMemoryArray() : CDMIStructure(16) {}
  char location[256] = {}, use[256] = {}, errorCorrection[256] = {};
  int32_t maxCapacityMB = -1, deviceCount = 0;
};

class CDMI_MemoryDevice : public CDMIStructure {
 public:
  CDMI_MemoryDevice() : CDMIStructure(17) {}
  virtual void Hook3(void*) {}
  int32_t totalWidth = -1, dataWidth = -1, sizeMB = -1;
  char formFactor[256] = {}, deviceLocator[256] = {}, memoryType[256] = {};
};
