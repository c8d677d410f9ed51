#include "profile/ProfileHardware.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "platform/Machine.h"
#include "platform/NamedMutex.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/TurboControl.h"
#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/CMicroController.h"
#include "sdk/voltage/RailSettings.h"

namespace {

constexpr float kRampStepMHz = 10.0f;
constexpr uint32_t kAfterGeneratorMs = 20;
// Two frequencies this close are the same setting.
constexpr float kSameMHz = 0.01f;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}

// One rail a profile covers on this board.
struct ProfileRail {
  int controller;
  int row;
  int index;      // c * 10 + j
  int processor;  // regulator branch to select first; -1: none
  bool cpu1;      // the second processor's slot (CPU1_VOLTAGE_)
  const char* label;
};

// In controller and row order. On the dual-processor boards the first
// pass covers the board's rows and the first processor's branch, the
// second pass the second processor's rows.
std::vector<ProfileRail> ProfileRails(const CBoardControl& control) {
  std::vector<ProfileRail> out;
  const bool dp = CBoardControl::IsDualProcessorBoard(control.BoardId());
  for (int pass = 0; pass < (dp ? 2 : 1); ++pass)
    for (int c = 0; c < control.ControllerCount(); ++c)
      for (int j = 0; j < control.RowCount(c); ++j) {
        const int index = c * 10 + j;
        if (index >= CProfile::kVoltageSlots) continue;
        const _stMicroControllerOutputDesc& row = control.GetController(c)->descriptions[j];
        const int32_t cpuBits = row.id & rowid::kCpuMask;
        int processor = -1;
        if (dp && pass == 0) {
          if (cpuBits && !(cpuBits & rowid::kFirstCpu)) continue;
          if (cpuBits) processor = 0;
        } else if (dp) {
          if (!(cpuBits & rowid::kSecondCpu)) continue;
          processor = 1;
        }
        out.push_back({c, j, index, processor, pass == 1, row.label ? row.label : ""});
      }
  return out;
}

std::string SlotName(const ProfileRail& r) {
  return Format("%s%d (%s%s)", r.cpu1 ? "CPU1_VOLTAGE_" : "VOLTAGE_", r.index,
                r.processor >= 0 ? (r.processor == 0 ? "CPU0 " : "CPU1 ") : "", r.label);
}

int32_t SlotValue(const CProfile& p, const ProfileRail& r) { return r.cpu1 ? p.voltageCpu1[r.index] : p.voltage[r.index]; }

void Setting(int32_t slot, int* position, int* flags) {
  *position = slot & CProfile::kPositionMask;
  *flags = static_cast<int>((static_cast<uint32_t>(slot) >> CProfile::kDirectionShift) & 3);
}

// Connects the rail's branch and re-reads its controller; true when the
// rail can be read.
bool ReachRail(CBoardControl& control, const ProfileRail& r) {
  if (r.processor < 0) return true;
  if (!control.SelectProcessorRails(r.processor)) return false;
  control.GetController(r.controller)->Update();
  return true;
}

std::string EntryName(const _stMicroControllerOutputDesc& row, int code, int direction) {
  const int entry = rails::EntryOf(row, code, direction);
  return entry < 0 ? Format("position %d%s", code, direction ? " below" : "") : rails::EntryText(row, entry);
}

CProcessor* FirstProcessor(QUARNSDK& sdk) {
  auto* cpu = static_cast<CCPUInterface*>(sdk.FindInterface(INTERFACE_CPU));
  return cpu ? cpu->GetProcessor(0) : nullptr;
}

// Processor 0 when it is of a family with the turbo controls, else null.
CProcessor* TurboProcessor(QUARNSDK& sdk) {
  CProcessor* p = FirstProcessor(sdk);
  if (!p) return nullptr;
  const uint32_t family = FamilyOf(p->GetTypeCode());
  return family == CPU_INTEL_NEHALEM || family == CPU_INTEL_SANDY_BRIDGE ? p : nullptr;
}

bool SandyBridge(CProcessor* p) { return FamilyOf(p->GetTypeCode()) == CPU_INTEL_SANDY_BRIDGE; }

// The ratio slots the processor's register holds: six on Nehalem, the one
// shared ratio on Sandy Bridge.
int RatioSlots(CProcessor* p) { return SandyBridge(p) ? 1 : CProfile::kRatioSlots; }

class Lock {
 public:
  Lock(QUARNSDK& sdk, CKMDriver& driver) : lock_(&sdk, &driver, plat::kUserActionSdkTimeoutMs) {}
  bool Held() const { return lock_.Held(); }

 private:
  HardwareLock lock_;
};

}  // namespace

bool CaptureProfile(QUARNSDK& sdk, CKMDriver& driver, CProfile* p) {
  Lock lock(sdk, driver);
  if (!lock.Held()) return false;
  *p = CProfile();
  if (CMainboard* board = sdk.GetMainboard()) {
    p->boardId = board->boardHash;
    p->hasBoardId = true;
  }
  // The PLL index counts the board's clock sources only, never a graphics
  // card's clocks.
  for (int k = 0; k < PLLCount() && k < CProfile::kVcoSlots; ++k) {
    const float f = PLLAt(k)->GetFrequency();
    if (f > 0) p->vco[k] = f;
  }
  if (CBoardControl* control = CBoardControl::Of(sdk)) {
    bool switched = false;
    for (const ProfileRail& r : ProfileRails(*control)) {
      switched |= r.processor >= 0;
      RailReading reading;
      if (!ReachRail(*control, r) || !control->ReadRow(r.controller, r.row, &reading) || reading.code < 0) continue;
      const int direction = (reading.row.type & 0xFFFF) == ROW_CODE ? reading.direction : 0;
      const int32_t value =
          static_cast<int32_t>(static_cast<uint32_t>(reading.code) | static_cast<uint32_t>(direction) << CProfile::kDirectionShift);
      (r.cpu1 ? p->voltageCpu1 : p->voltage)[r.index] = value;
    }
    if (switched && control->SelectProcessorRails(0)) control->Refresh();
  }
  if (CProcessor* cpu = TurboProcessor(sdk)) {
    bool enabled = false;
    if (ReadTurboSwitch(cpu, &enabled)) p->turbo = enabled ? 1 : 0;
    TurboLimits limits;
    if (ReadTurboLimits(cpu, &limits))
      for (int k = 0; k < CProfile::kRatioSlots; ++k) p->ratio[k] = limits.ratio[k];
  }
  return true;
}

int SaveProfile(const std::string& path, QUARNSDK& sdk, CKMDriver& driver, std::string* error) {
  CProfile profile;
  if (!CaptureProfile(sdk, driver, &profile)) {
    if (error) *error = "the hardware lock could not be taken";
    return 0;
  }
  return WriteProfileFile(path, profile, error);
}

std::vector<std::string> CheckProfile(const CProfile& p, QUARNSDK& sdk, CKMDriver& driver) {
  std::vector<std::string> problems;
  Lock lock(sdk, driver);
  if (!lock.Held()) return {"the hardware lock could not be taken"};
  for (int k = 0; k < PLLCount() && k < CProfile::kLoadedVcos; ++k) {
    const float mhz = p.vco[k];
    if (!(mhz > 0)) continue;
    CPLL* pll = PLLAt(k);
    float low = 0, high = 0;
    if (!PLLTargetRange(k, &low, &high))
      problems.push_back(Format("VCO_%d: %s has no valid frequency to start from", k, pll->name));
    else if (!(mhz >= low && mhz <= high))
      problems.push_back(Format("VCO_%d=%f MHz is outside %.2f .. %.2f MHz of %s", k, mhz, low, high, pll->name));
  }
  if (CBoardControl* control = CBoardControl::Of(sdk))
    for (const ProfileRail& r : ProfileRails(*control)) {
      const int32_t slot = SlotValue(p, r);
      if (slot == CProfile::kUnset) continue;
      int position = 0, flags = 0;
      Setting(slot, &position, &flags);
      std::string why;
      if (!control->CheckRow(r.controller, r.row, position, flags, &why))
        problems.push_back(Format("%s=%d: %s", SlotName(r).c_str(), slot, why.c_str()));
    }
  if (CProcessor* cpu = TurboProcessor(sdk)) {
    TurboLimits now;
    if (ReadTurboLimits(cpu, &now))
      for (int k = 0; k < RatioSlots(cpu); ++k) {
        const int v = p.ratio[k];
        if (v == CProfile::kUnset || v == now.ratio[k]) continue;
        if (v < kProfileMinRatio || v > kProfileMaxRatio)
          problems.push_back(Format("XE_CORE_%dX=%d is outside the ratios %d .. %d", k + 1, v, kProfileMinRatio,
                                    kProfileMaxRatio));
      }
  }
  return problems;
}

int ApplyProfile(const CProfile& p, QUARNSDK& sdk, CKMDriver& driver, ProfileReport* report) {
  ProfileReport local;
  ProfileReport& out = report ? *report : local;
  out = ProfileReport{};
  out.refusals = CheckProfile(p, sdk, driver);
  if (!out.refusals.empty()) return 0;
  const auto lockFailed = [&] {
    out.failures.push_back("the hardware lock could not be taken; the rest of the profile was not applied");
    return 1;
  };

  // 1. Turbo switch: on unless the profile says off.
  {
    Lock lock(sdk, driver);
    if (!lock.Held()) return lockFailed();
    CProcessor* cpu = TurboProcessor(sdk);
    bool enabled = false;
    if (cpu && ReadTurboSwitch(cpu, &enabled)) {
      const bool wanted = p.turbo != 0;
      if (enabled != wanted) {
        if (WriteTurboSwitch(cpu, wanted)) out.changes.push_back(Format("TURBO: %s", wanted ? "on" : "off"));
        else out.failures.push_back("TURBO: the turbo switch was not written");
      }
    }
  }
  // 2. Turbo ratio limits; unset ones keep the register's value.
  {
    Lock lock(sdk, driver);
    if (!lock.Held()) return lockFailed();
    CProcessor* cpu = TurboProcessor(sdk);
    TurboLimits now, wanted;
    if (cpu && ReadTurboLimits(cpu, &now)) {
      bool differs = false;
      for (int k = 0; k < RatioSlots(cpu); ++k) {
        wanted.ratio[k] = p.ratio[k];
        differs |= p.ratio[k] != CProfile::kUnset && p.ratio[k] != now.ratio[k];
      }
      if (differs) {
        if (WriteTurboLimits(cpu, wanted)) {
          std::string line = "XE_CORE:";
          for (int k = 0; k < RatioSlots(cpu); ++k)
            line += Format(" %d", wanted.ratio[k] == CProfile::kUnset ? now.ratio[k] : wanted.ratio[k]);
          out.changes.push_back(line);
        } else {
          out.failures.push_back("XE_CORE: the turbo ratio limits were not written");
        }
      }
    }
  }
  // 3. Rails.
  if (CBoardControl* control = CBoardControl::Of(sdk)) {
    bool switched = false;
    for (const ProfileRail& r : ProfileRails(*control)) {
      const int32_t slot = SlotValue(p, r);
      if (slot == CProfile::kUnset) continue;
      int position = 0, flags = 0;
      Setting(slot, &position, &flags);
      Lock lock(sdk, driver);
      if (!lock.Held()) return lockFailed();
      switched |= r.processor >= 0;
      RailReading now;
      if (!ReachRail(*control, r)) {
        out.failures.push_back(SlotName(r) + ": the processor's regulator branch could not be selected");
        continue;
      }
      if (!control->ReadRow(r.controller, r.row, &now)) continue;
      const bool stepped = (now.row.type & 0xFFFF) == ROW_CODE;
      const int direction = stepped ? flags & kSettingBelowBase : 0;
      if (now.code == position && (!stepped || position == 0 || now.direction == direction)) continue;
      std::string why;
      const int ok = control->WriteRow(r.controller, r.row, position, flags, &why);
      if (ok)
        out.changes.push_back(SlotName(r) + ": " + EntryName(now.row, now.code, now.direction) + " -> " +
                              EntryName(now.row, position, direction));
      else
        out.failures.push_back(SlotName(r) + ": " + (why.empty() ? "the controller did not take the setting" : why));
    }
    if (switched) {
      Lock lock(sdk, driver);
      if (lock.Held() && control->SelectProcessorRails(0)) control->Refresh();
    }
  }
  // 4. Clock generators.
  for (int k = 0; k < CProfile::kLoadedVcos; ++k) {
    const float mhz = p.vco[k];
    if (!(mhz > 0)) continue;
    {
      Lock lock(sdk, driver);
      if (!lock.Held()) return lockFailed();
      CPLL* pll = PLLAt(k);
      if (!pll) break;
      const float before = pll->GetFrequency();
      if (std::fabs(before - mhz) < kSameMHz) continue;
      if (SetPLLFrequency(k, mhz, kRampStepMHz))
        out.changes.push_back(Format("VCO_%d (%s): %.2f -> %.2f MHz", k, pll->name, before, pll->GetFrequency()));
      else
        out.failures.push_back(Format("VCO_%d (%s): stopped at %.2f MHz on the way to %.2f MHz", k, pll->name,
                                      pll->GetFrequency(), mhz));
    }
    plat::CurrentMachine().Sleep(kAfterGeneratorMs);
  }
  return 1;
}
