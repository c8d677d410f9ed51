// One emulated logical processor: its CPUID answers and its MSRs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

#include "platform/Machine.h"

namespace emu {

// Behaviour for an MSR whose value is not simply stored (counters, status
// registers, registers with side effects). A missing function means the
// access is refused (#GP).
struct MsrHandler {
  std::function<bool(uint64_t* value)> read;
  std::function<bool(uint64_t value)> write;
};

class EmulatedCpu {
 public:
  int index = 0;
  uint32_t apicId = 0;
  int package = 0, core = 0, thread = 0;

  // CPUID. Leaves whose answer depends on the subleaf (4, 7, 0xB, 0xD, 0x1F,
  // 0x8000001D) are stored per subleaf; every other leaf under subleaf 0.
  void SetCpuid(uint32_t leaf, uint32_t subleaf, plat::CpuidRegs regs) { cpuid_[{leaf, subleaf}] = regs; }
  plat::CpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf) const;

  // MSRs: a plain stored value (writable unless marked read-only) or a handler.
  void SetMsr(uint32_t index, uint64_t value, bool writable = true);
  void SetMsrHandler(uint32_t index, MsrHandler handler) { handlers_[index] = std::move(handler); }
  bool HasMsr(uint32_t index) const { return handlers_.count(index) || msrs_.count(index); }
  bool ReadMsr(uint32_t index, uint64_t* value) const;
  bool WriteMsr(uint32_t index, uint64_t value);
  // The stored value, bypassing handlers (board set-up and tests).
  uint64_t StoredMsr(uint32_t index) const {
    auto it = msrs_.find(index);
    return it == msrs_.end() ? 0 : it->second.value;
  }

 private:
  struct Stored {
    uint64_t value;
    bool writable;
  };
  std::map<std::pair<uint32_t, uint32_t>, plat::CpuidRegs> cpuid_;
  std::unordered_map<uint32_t, Stored> msrs_;
  std::unordered_map<uint32_t, MsrHandler> handlers_;
};

}  // namespace emu
