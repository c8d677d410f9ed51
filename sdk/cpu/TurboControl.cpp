#include "sdk/cpu/TurboControl.h"

#include "driver/CKMDriver.h"
#include "platform/Machine.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/CpuDriver.h"
#include "sdk/cpu/MSR_Register.h"

namespace {

constexpr uint32_t kMiscEnable = 0x1A0;
constexpr uint32_t kTurboRatioLimit = 0x1AD;
constexpr uint32_t kTurboDisengageHighBit = 1u << 6;  // bit 38
constexpr uint32_t kSandyBridgeLockBit = 0x80000000u;
constexpr uint32_t kMchbarTurboOffset = 0x5990;
constexpr uint32_t kWriteSettleMs = 50;

CCPUThread* PinnedThread(CProcessor* p) {
  CCPUCore* core = p ? p->GetCore(0) : nullptr;
  CCPUThread* t = core ? core->FirstThread() : nullptr;
  if (t) t->PinToSelf(kPinSettleMs);
  return t;
}

uint32_t Family(CCPUThread* t) { return FamilyOf(t->typeCode); }

// The Sandy Bridge ratio register: PCI on the X79 platform's processors, the
// memory controller hub's MMIO window otherwise.
struct SandyRegister {
  bool pci = false;
  uint32_t mchbar = 0;

  bool Locate(CCPUThread* t, CKMDriver* d) {
    pci = t->extModel == 45;
    if (pci) return true;
    uint32_t bar = 0;
    if (!d->ReadPCIConfig(0, 0, 0, 0x48, 4, &bar)) return false;
    mchbar = bar & ~0x3FFFu;
    return mchbar != 0;
  }
  bool Read(CKMDriver* d, uint32_t* v) {
    *v = 0xFFFFFFFFu;
    return pci ? d->ReadPCIConfig(255, 10, 0, 0xD8, 4, v) : d->ReadPhysical32(0, mchbar, kMchbarTurboOffset, v);
  }
  bool Write(CKMDriver* d, uint32_t v) {
    return pci ? d->WritePCIConfig(255, 10, 0, 0xD8, 4, &v) : d->WritePhysical32At(0, mchbar, kMchbarTurboOffset, v);
  }
};

}  // namespace

bool ReadTurboSwitch(CProcessor* p, bool* enabled) {
  if (!PinnedThread(p)) return false;
  MSR_Register misc(kMiscEnable);
  if (!misc.Read()) return false;
  *enabled = (misc.high & kTurboDisengageHighBit) == 0;
  return true;
}

bool WriteTurboSwitch(CProcessor* p, bool enabled) {
  if (!PinnedThread(p)) return false;
  MSR_Register misc(kMiscEnable);
  if (!misc.Read()) return false;
  uint32_t high = misc.high & ~kTurboDisengageHighBit;
  if (!enabled) high |= kTurboDisengageHighBit;
  return misc.Write(high, misc.low);
}

bool ReadTurboLimits(CProcessor* p, TurboLimits* limits) {
  CCPUThread* t = PinnedThread(p);
  CKMDriver* d = CpuDriver();
  if (!t || !d) return false;
  if (Family(t) == CPU_INTEL_NEHALEM) {
    MSR_Register reg(kTurboRatioLimit);
    if (!reg.Read()) return false;
    for (int i = 0; i < 6; ++i) limits->ratio[i] = static_cast<int>((reg.Value() >> (8 * i)) & 0xFF);
    return true;
  }
  if (Family(t) == CPU_INTEL_SANDY_BRIDGE) {
    SandyRegister reg;
    uint32_t v = 0;
    if (!reg.Locate(t, d) || !reg.Read(d, &v)) return false;
    if (!reg.pci && (v & kSandyBridgeLockBit)) return false;
    for (int& r : limits->ratio) r = static_cast<int>(v & 0xFF);
    return true;
  }
  return false;
}

bool WriteTurboLimits(CProcessor* p, const TurboLimits& limits) {
  CCPUThread* t = PinnedThread(p);
  CKMDriver* d = CpuDriver();
  if (!t || !d) return false;
  bool ok = false;
  if (Family(t) == CPU_INTEL_NEHALEM) {
    MSR_Register reg(kTurboRatioLimit);
    if (!reg.Read()) return false;
    uint64_t v = reg.Value() & 0xFFFFFFFFFFFFull;
    for (int i = 0; i < 6; ++i) {
      if (limits.ratio[i] == kTurboUnset) continue;
      v = (v & ~(0xFFull << (8 * i))) | static_cast<uint64_t>(limits.ratio[i] & 0xFF) << (8 * i);
    }
    ok = reg.Write(static_cast<uint32_t>(v >> 32), static_cast<uint32_t>(v));
  } else if (Family(t) == CPU_INTEL_SANDY_BRIDGE) {
    if (limits.ratio[0] == kTurboUnset) return false;
    SandyRegister reg;
    uint32_t v = 0;
    if (!reg.Locate(t, d) || !reg.Read(d, &v)) return false;
    if (!reg.pci && (v & kSandyBridgeLockBit)) return false;
    ok = reg.Write(d, (v & ~0xFFu) | (static_cast<uint32_t>(limits.ratio[0]) & 0xFF));
  } else {
    return false;
  }
  plat::CurrentMachine().Sleep(kWriteSettleMs);
  return ok;
}
