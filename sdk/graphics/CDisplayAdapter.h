// One graphics adapter: a PCI display controller (its PCI function is the
// first child) with what the display APIs tell about it. The APIs serving
// it are kept in attach order; the first that answers a question wins.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/core/CDevice.h"

class CDisplayAPI;
class CPCIDevice;
class CPLL;
class CIOSpace;
class CI2CRegisterSpace;

enum DisplayVendorCode : uint32_t {
  DISPLAY_VENDOR_NVIDIA = 0x01000000,
  DISPLAY_VENDOR_ATI = 0x02000000,
  DISPLAY_VENDOR_INTEL = 0x04000000,
};

class CDisplayAdapter : public CCompositeDevice {
 public:
  static constexpr int kMaxPerfLevels = 8;

  CDisplayAdapter();
  ~CDisplayAdapter() override;
  const char* GetName() override { return name; }
  virtual void Slot7() {}

  struct APIEntry {
    CDisplayAPI* api;
    int handle;  // the API's own index of the adapter, or -1
  };

  // Appends an entry unless the API is already listed.
  void AddAPI(CDisplayAPI* api, int handle);
  bool HasAPI(const CDisplayAPI* api) const;
  // The API's handle for this adapter, or -1.
  int GetHandle(const CDisplayAPI* api) const;
  CPCIDevice* PciDevice() const;
  // The vendor byte of the family code (DisplayVendorCode), 0 when unknown.
  uint32_t Vendor() const { return familyCode < 0 ? 0 : static_cast<uint32_t>(familyCode) & 0xFF000000u; }

  // Asks every API in order: performance levels, clocks per level (the
  // clock objects are made on first answer), memory description.
  void Refresh();

  // The clock object of a level and kind (0 core, 4 shader, 7 memory), or null.
  CPLL* ClockOf(int level, int kind) const;

  // The first API that answers, in attach order; false when none does.
  bool ReadTemperature(float* celsius);
  bool ReadFanRPM(int* rpm);
  bool ReadFanPercent(int* percent);
  bool ReadLoad(int* percent);
  // The GPU voltage now, its default (state 0, domain 0), and setting it.
  bool ReadVoltage(float* volts);
  bool ReadDefaultVoltage(float* volts);
  bool SetGpuVoltage(float volts);
  // Sets one clock (kind 0 core, 4 shader, 7 memory) of a level through the
  // first API that accepts it, then refreshes.
  bool SetClock(int level, int kind, float mhz);
  // The names of the APIs serving the adapter, ", "-separated.
  void APINames(char* out, unsigned size) const;

  char name[256] = {};
  char chipName[256] = {};
  char boardName[32] = {};
  int revision = -1;
  float technology = -1.0f;
  int index = -1;
  int familyCode = -1;
  std::vector<APIEntry> apiEntries;
  int deviceId = -1;
  int memorySizeMB = -1;
  int memoryType = -1;
  int busWidth = -1;
  int perfLevelCount = 1;
  int currentPerfLevel = 0;
  CPLL* coreClock[kMaxPerfLevels] = {};    // facade-owned
  CPLL* shaderClock[kMaxPerfLevels] = {};  // facade-owned
  CPLL* memoryClock[kMaxPerfLevels] = {};  // facade-owned
  char perfLevelNames[kMaxPerfLevels][256] = {};
  CIOSpace* registers = nullptr;          // facade-owned
  CI2CRegisterSpace* directI2C = nullptr;  // facade-owned
  CI2CRegisterSpace* apiI2C = nullptr;     // facade-owned
};
