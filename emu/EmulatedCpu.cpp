#include "emu/EmulatedCpu.h"

namespace emu {

plat::CpuidRegs EmulatedCpu::Cpuid(uint32_t leaf, uint32_t subleaf) const {
  const bool perSubleaf = leaf == 4 || leaf == 7 || leaf == 0xB || leaf == 0xD || leaf == 0x1F ||
                          leaf == 0x8000001D;
  auto it = cpuid_.find({leaf, perSubleaf ? subleaf : 0});
  if (it != cpuid_.end()) return it->second;
  // A basic leaf above the highest one answers like the highest basic leaf,
  // as Intel processors do; unknown extended leaves answer zeros.
  auto max = cpuid_.find({leaf & 0x80000000u, 0});
  if (max != cpuid_.end() && leaf > max->second.eax && !(leaf & 0x80000000u)) {
    auto top = cpuid_.find({max->second.eax, 0});
    if (top != cpuid_.end()) return top->second;
  }
  return {};
}

void EmulatedCpu::SetMsr(uint32_t index, uint64_t value, bool writable) { msrs_[index] = {value, writable}; }

bool EmulatedCpu::ReadMsr(uint32_t index, uint64_t* value) const {
  auto h = handlers_.find(index);
  if (h != handlers_.end()) return h->second.read && h->second.read(value);
  auto it = msrs_.find(index);
  if (it == msrs_.end()) return false;
  *value = it->second.value;
  return true;
}

bool EmulatedCpu::WriteMsr(uint32_t index, uint64_t value) {
  auto h = handlers_.find(index);
  if (h != handlers_.end()) return h->second.write && h->second.write(value);
  auto it = msrs_.find(index);
  if (it == msrs_.end() || !it->second.writable) return false;
  it->second.value = value;
  return true;
}

}  // namespace emu
