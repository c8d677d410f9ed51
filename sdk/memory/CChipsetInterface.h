// The chipset (interface type 0x800): names the north bridges (host
// bridges, memory controller hubs) and the south bridge, and reads from
// the memory controller what the Memory page shows: memory type, channels,
// DRAM clock as a ratio of the bus clock, current timings and, on the
// Nehalem generation, the uncore ratio.
#pragma once

#include <cstdint>

#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"

class CCacheDescriptor;
class CIOSpace;
class CPCIDevice;

// A host bridge or memory controller hub found on the PCI bus.
class CNorthBridge {
 public:
  explicit CNorthBridge(CPCIDevice* pci);
  virtual ~CNorthBridge() = default;

  // The dword at `reg` of its own function; 0xFFFFFFFF without a device or
  // when the read fails.
  uint32_t ReadConfig(uint32_t reg);
  int WriteConfig(uint32_t reg, uint32_t value);

  CPCIDevice* device;  // not owned
  char vendorName[64] = {};
  char chipName[64] = {};
  char revisionName[16] = {};
  CIOSpace* window = nullptr;  // the controller's register window; the facade's
  int state = 0;
  int scratch[2] = {-1, -1};
};

// The first ISA/LPC bridge.
class CSouthBridge {
 public:
  explicit CSouthBridge(CPCIDevice* pci);
  virtual ~CSouthBridge() = default;
  uint32_t ReadConfig(uint32_t reg);

  CPCIDevice* device;  // not owned
  char vendorName[64] = {};
  char chipName[64] = {};
  char revisionName[16] = {};
  int scratch = -1;
};

// The memory controller's readings. A field no reader set keeps its value.
class CMemoryInfo {
 public:
  virtual ~CMemoryInfo() = default;

  int typeCode = -1;  // 2 RDRAM, 3 EDO, 4 FPM, 5 SDRAM, 6 DDR, 7 DDR2, 8 FB-DDR2, 9 DDR3
  int spare = -1;
  float ratioValue = -1.0f;   // DRAM clock / bus clock
  float clockOffset = -1.0f;  // DRAM clock - bus clock, MHz
  int clockDivisor = -1;      // DRAM clock = core clock / divisor
  float casLatency = -1.0f;
  int tRCD = -1;
  int tRP = -1;
  int tRAS = -1;
  int tWR = -1;  // older readers only
  int tRFC = -1;
  int tRRD = -1, tRTP = -1, tWTR = -1;  // older readers only
  int commandRate = -1;
  float dramFrequency = -1.0f;  // MHz
  float uncoreRatio = -1.0f;
  int dimmCount = -1, rankCount = -1, busWidth = -1;  // older readers only
  int channelCount = -1;
  int modeBit = -1;
  char eccText[32] = {};
  char ratioText[32] = {};
  int eccEnabled = 0;
  float baseClock = -1.0f;  // a fixed front-side bus clock some early chipsets imply
  int fixedFrequency = 0;   // nonzero: a reader set dramFrequency itself
};

class CChipsetInterface : public CInterface {
 public:
  CChipsetInterface();
  ~CChipsetInterface() override;
  // 0 without a PCI interface; else names the bridges and reads the
  // controller, 1.
  int Init() override;
  // Puts back what the readers changed in the bridges' configuration.
  void Close() override;
  // Identifies every north bridge again (every reader reads again), then
  // recomputes the DRAM clock. 1.
  int Refresh();

  CMemoryInfo* GetMemoryInfo() const { return memoryInfo; }
  CNorthBridge* GetNorthBridge(int n) const { return northBridges->At(n); }
  CNorthBridge* GetHostBridge() const { return hostBridge; }
  CSouthBridge* GetSouthBridge() const { return southBridge; }
  CCacheDescriptor* GetBoardCache() const { return boardCache; }

  // MHz from the bus clock and core multiplier by the controller's ratio,
  // offset or divisor; -1 when none applies.
  float ComputeDramFrequency(float busClock, float multiplier) const;

  CTList<CNorthBridge>* northBridges;
  CNorthBridge* hostBridge = nullptr;
  CSouthBridge* southBridge = nullptr;
  CMemoryInfo* memoryInfo;
  CCacheDescriptor* boardCache = nullptr;

 private:
  void UpdateDramFrequency();
};

// Identification tables (NorthBridgeNames.cpp, SouthBridgeNames.cpp): the
// names by vendor, device and revision, and for a north bridge the reader
// of its memory controller, run at once.
void IdentifyNorthBridge(CNorthBridge& bridge, CMemoryInfo& info);
void IdentifySouthBridge(CSouthBridge& bridge);
