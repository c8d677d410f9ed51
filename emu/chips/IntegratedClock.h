// The chipset's integrated clock as its management firmware keeps it: a few
// clocks, each with a type (0 processor base clock, 3 PCI Express), a
// frequency in units of 1/100000 MHz, a dial range, an owner and an output
// that the board wires to its bus clocks. The dial is the frequency in
// 1/100 MHz. The components that reach it are in IntegratedClockComponents.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace emu {

class IntegratedClock {
 public:
  static constexpr uint64_t kUnitsPerDial = 1000;

  struct Clock {
    uint32_t type;
    uint64_t frequency;  // 1/100000 MHz
    uint32_t minDial, maxDial;
    std::function<void(double mhz)> output;
    bool owned = false;
  };

  // Adds a clock running at `mhz` within `minMHz` .. `maxMHz`; returns its index.
  int AddClock(uint32_t type, double mhz, double minMHz, double maxMHz, std::function<void(double)> output);
  // The processor-clock strap code the 7-series component reports (0 .. 3).
  void SetStrapCode(uint32_t code) { strap_ = code; }
  uint32_t StrapCode() const { return strap_; }

  std::vector<Clock>& Clocks() { return clocks_; }
  // Sets clock `index`; false outside its dial range.
  bool Set(int index, uint64_t frequency);
  int Writes() const { return writes_; }

 private:
  std::vector<Clock> clocks_;
  uint32_t strap_ = 0;
  int writes_ = 0;
};

}  // namespace emu
