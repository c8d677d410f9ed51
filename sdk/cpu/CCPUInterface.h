// The processor interface: every logical processor the process may run on,
// identified while pinned to it, grouped into cores and packages; the
// periodic clock refresh.
#pragma once

#include <cstdint>

#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"

class CDevice;
class CCPUCore;
class CCPUThread;
class CProcessor;

class CCPUInterface : public CInterface {
 public:
  explicit CCPUInterface(uint32_t opts);
  ~CCPUInterface() override;
  int Init() override;
  void Close() override {}

  CProcessor* GetProcessor(int index) const;
  void Refresh();
  float MeasureBusClock();
  // Groups the identified threads into packages and cores (again).
  void BuildTopology();

  int processorCount = 0;
  int logicalCount = 0;
  uint32_t options;
  CTList<CDevice>* processors;
  CTList<CCPUCore>* cores;
  CTList<CCPUThread>* threads;
  uint8_t* powerNowHeader = nullptr;  // AMD K7/K8 only
  uint8_t* powerNowPairs = nullptr;
  int powerNowCount = 0;  // pairs kept: the header's count, within the scanned block
  float busClock = -1.0f;

 private:
  void ScanPowerNow();
  // Where the machine reports its operating system's topology and the
  // APIC-derived grouping differs from it, the operating system's package
  // and core ids replace the derived ones.
  void AdoptKernelTopology();
};

// Smallest n with 2^n >= value.
int CeilLog2(int value);
