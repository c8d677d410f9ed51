// The clock generator interface: finds the board's clock sources at start
// (SMBus generator by board id, the chipset's integrated clocks) and keeps
// the chipset clock components for them. The PLLs live in the facade's PLL
// list; the index there is the PLL's index for every caller.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "sdk/core/CInterface.h"

class CPLL;
class CPLLOutput;

namespace plat {
class IntegratedClockLibrary;
class ClockControlComponent;
}  // namespace plat

class CPLLInterface : public CInterface {
 public:
  explicit CPLLInterface(int32_t boardId);
  ~CPLLInterface() override;

  // Finds the clock sources; always keeps the interface (returns 1).
  int Init() override;
  // Releases the clock-control component and the clock library.
  void Close() override;

  int32_t boardId;

  plat::IntegratedClockLibrary* ClockLibrary() const { return library_.get(); }
  plat::ClockControlComponent* ClockControl() const { return component_.get(); }

 private:
  void FindSMBusGenerator();
  void FindUGuruGenerator();
  void FindChipsetClocks();
  // Sets the access, reads the PLL and appends it to the facade's list.
  void Adopt(CPLL* pll);

  std::unique_ptr<plat::IntegratedClockLibrary> library_;
  std::unique_ptr<plat::ClockControlComponent> component_;
};

// What the application and torvikctl use; callers hold the SDK lock and the
// driver's access lock. The index counts the board's clock sources only
// (graphics adapters' clocks are skipped).
bool IsBoardPLL(const CPLL* pll);
int PLLCount();
CPLL* PLLAt(int index);
// The first PLL with every bit of `kind`, or -1.
int FindPLL(uint32_t kind);

// The range a target of PLL `index` must stay in: the chip's limits when it
// gives both, else half to twice its current frequency. False without a
// valid frequency.
bool PLLTargetRange(int index, float* low, float* high);

// "Set PLL n to f with step s": Read(), 250 ms, RampTo(f, s), 250 ms,
// Read() again. The result is that of the last Read(); 0 without a valid
// PLL, for a target outside PLLTargetRange, or when the ramp stopped early
// (the closing read still runs then). `applied` sees every applied step.
int SetPLLFrequency(int index, float mhz, float step, const std::function<void(float)>& applied = {});
