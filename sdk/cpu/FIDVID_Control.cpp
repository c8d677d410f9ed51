#include "sdk/cpu/FIDVID_Control.h"

#include <cmath>

#include "platform/Machine.h"
#include "sdk/core/RoundToInt.h"
#include "sdk/cpu/MSR_Register.h"

namespace {

int Field(uint32_t v, int last, int first) { return static_cast<int>((v >> first) & ((1u << (last - first + 1)) - 1)); }

}  // namespace

FIDVID_Control::FIDVID_Control(uint32_t statusMsr, uint32_t controlMsr)
    : status(new MSR_Register(statusMsr)), control(new MSR_Register(controlMsr)) {}

FIDVID_Control::~FIDVID_Control() {
  for (int i = 0; i < count; ++i) delete states[i];
  delete[] states;
  delete status;
  delete control;
}

bool FIDVID_Control::GetPState(int i, int* fid, int* vid, int* current) const {
  if (!states || i < 0 || i >= count) return false;
  *fid = states[i]->fid;
  *vid = states[i]->vid;
  *current = states[i]->current;
  return true;
}

void FIDVID_Control::AdoptStateTable(const uint8_t* pairs, int n) {
  if (states || !pairs || n <= 0) return;
  states = new PState*[n];
  for (int i = 0; i < n; ++i) {
    states[i] = new PState();
    states[i]->fid = pairs[2 * i];
    states[i]->vid = pairs[2 * i + 1];
  }
  count = n;
}

bool FIDVID_Control::Modify(uint64_t mask, uint64_t bits) {
  if (!control->Read()) return false;
  uint64_t v = (control->Value() & ~mask) | (bits & mask);
  bool ok = control->Write(static_cast<uint32_t>(v >> 32), static_cast<uint32_t>(v));
  plat::CurrentMachine().Sleep(10);
  return ok;
}

bool Netburst_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 15, 8);
  maxFid = Field(status->high, 15, 8);
  minFid = 14;
  currentVid = Field(status->low, 7, 0);
  maxVid = Field(status->high, 7, 0);
  minVid = 26;
  return true;
}

bool Mobile_FIDVID_Control::Refresh() {
  if (!Netburst_FIDVID_Control::Refresh()) return false;
  minFid = 6;
  minVid = -1;
  return true;
}

bool C7_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 15, 8);
  currentVid = Field(status->low, 7, 0);
  maxFid = Field(status->high, 15, 8);
  maxVid = Field(status->high, 7, 0);
  minVid = Field(status->high, 23, 16);
  minFid = Field(status->high, 31, 24);
  return true;
}

bool CNA_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 12, 8);
  minFid = Field(status->low, 28, 24);
  maxFid = Field(status->high, 12, 8);
  return true;
}

bool Core_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 12, 8);
  minFid = Field(status->low, 28, 24);
  maxFid = Field(status->high, 12, 8);
  currentVid = Field(status->low, 5, 0);
  maxVid = Field(status->high, 5, 0);
  return true;
}

// ------------------------------------------------------------------ Core 2

bool Core_2_FIDVID_Control::WaitIdle() {
  for (int i = 0; i < 200; ++i) {
    if (!status->Read()) return false;
    if ((status->low & 0x3000) == 0) return true;
  }
  return false;
}

int Core_2_FIDVID_Control::Prepare(int) {
  MSR_Register misc(0x1A0);
  if (misc.Read() && (misc.low & (1u << 25))) {
    misc.Write(misc.high, misc.low & ~(1u << 25));
    plat::CurrentMachine().Sleep(10);
  }
  return 1;
}

bool Core_2_FIDVID_Control::Refresh() {
  if (!WaitIdle()) return false;
  currentFid = Field(status->low, 12, 8) * 2 + Field(status->low, 14, 14);
  minFid = Field(status->low, 28, 24) * 2 + Field(status->low, 30, 30);
  maxFid = Field(status->high, 12, 8) * 2 + Field(status->high, 14, 14);
  currentVid = Field(status->low, 5, 0);
  maxVid = Field(status->high, 5, 0);
  if (control->Read()) targetFid = Field(control->low, 12, 8) * 2 + Field(control->low, 14, 14);
  return true;
}

bool Core_2_FIDVID_Control::SetRatio(float r) {
  if (!(r > 0.0f)) return false;
  const int n = static_cast<int>(2 * r);
  if (!ValidFid(n, 6)) return false;
  // The VID goes with the ratio only when the part's highest VID was read
  // and converts; otherwise the register keeps the VID it holds.
  uint64_t mask = 0x5F00;
  uint64_t bits = static_cast<uint64_t>(n >> 1) << 8 | static_cast<uint64_t>(n & 1) << 14;
  if (maxVid != -1) {
    if (!ValidVid(maxVid, 6)) return false;
    mask |= 0x3F;
    bits |= static_cast<uint64_t>(maxVid);
  }
  if (!WaitIdle()) return false;
  return Modify(mask, bits);
}

bool Core_2_FIDVID_Control::SetVid(int v) {
  if (!ValidVid(v, 6) || !WaitIdle()) return false;
  return Modify(0x3F, static_cast<uint64_t>(v));
}

bool Core_2_FIDVID_Control::SetFid(int c) {
  if (!ValidFid(c, 6) || !WaitIdle()) return false;
  return Modify(0x5F00, static_cast<uint64_t>((c >> 1) & 0x1F) << 8 | static_cast<uint64_t>(c & 1) << 14);
}

// ------------------------------------------------------------------ Nehalem, Sandy Bridge

bool Nehalem_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 15, 0);
  return true;
}

bool Sandy_Bridge_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 15, 8);
  currentVid = Field(status->high, 15, 0);
  return true;
}

// ------------------------------------------------------------------ AMD K8

float K8_FIDVID_Control::VoltageFromCode(int v) {
  if (v < 0) return -1.0f;
  if (v <= (am2 ? 31 : 30)) return 1.55f - 0.025f * v;
  if (am2 && v <= 63) return 0.7625f - 0.0125f * (v - 32);
  return -1.0f;
}

bool K8_FIDVID_Control::WaitIdle() {
  for (int i = 0; i < 200; ++i) {
    if (!status->Read()) return false;
    if ((status->low & 0x80000000u) == 0) return true;
  }
  return false;
}

bool K8_FIDVID_Control::Refresh() {
  if (!WaitIdle()) return false;
  currentFid = Field(status->low, 5, 0);
  startFid = Field(status->low, 13, 8);
  maxFid = Field(status->low, 21, 16);
  int vidLast = am2 ? 5 : 4;
  currentVid = Field(status->high, vidLast, 0);
  startVid = Field(status->high, vidLast + 8, 8);
  maxVid = Field(status->high, vidLast + 16, 16);
  if (!am2) {
    if (maxVid == 0) maxVid = -1;
    minVid = Field(status->high, 28, 24);
    if (minVid == 0) minVid = -1;
  }
  return true;
}

bool K8_FIDVID_Control::SetVid(int v) {
  if (!ValidVid(v, 6) || !WaitIdle()) return false;
  if (!Modify(0x13F00, static_cast<uint64_t>(v) << 8 | 0x10000)) return false;
  return WaitIdle();
}

bool K8_FIDVID_Control::SetFid(int c) {
  if (!ValidFid(c, 6) || !WaitIdle()) return false;
  if (!Modify(0x1003F, static_cast<uint64_t>(c) | 0x10000)) return false;
  return WaitIdle();
}

// ------------------------------------------------------------------ AMD K10

float K10_FIDVID_Control::RatioFromCode(int c) {
  if (c == -1) return -1.0f;
  return static_cast<float>(((c & 0xFF) + base) * 0.5 / std::ldexp(1.0, (c >> 8) & 0x1F));
}

int K10_FIDVID_Control::CodeFromRatio(float a) {
  if (a <= 0 || a - base >= 64) return -1;
  for (int d = 0; d < 8; ++d) {
    double scaled = a * std::ldexp(1.0, d) - base;
    if (scaled >= 0) return d << 8 | static_cast<int>(scaled);
  }
  return -1;
}

int K10_FIDVID_Control::CodeFromRegister(uint32_t low) const { return Field(low, 8, 6) << 8 | Field(low, 5, 0); }

float K10_FIDVID_Control::P0Ratio() const {
  if (!states || count == 0) return -1.0f;
  return const_cast<K10_FIDVID_Control*>(this)->RatioFromCode(states[0]->fid);
}

bool K10_FIDVID_Control::Refresh() {
  const bool haveStatus = status->Read();
  if (haveStatus) SawStatus();
  if (!states) {
    states = new PState*[pstateRegisters]();
    for (int i = 0; i < pstateRegisters; ++i) {
      MSR_Register p(0xC0010064 + static_cast<uint32_t>(i));
      if (!p.Read() || !(p.high & 0x80000000u)) continue;
      auto* s = new PState();
      s->fid = CodeFromRegister(p.low);
      s->vid = Field(p.low, 15, 9);
      s->current = RoundToInt(Field(p.high, 7, 0) / std::pow(10.0, Field(p.high, 9, 8)));
      s->frequency = FrequencyOf(s->fid);
      states[count++] = s;
    }
    for (int i = 0; i < count; ++i)
      if (minFid == -1 || RatioFromCode(states[i]->fid) < RatioFromCode(minFid)) minFid = states[i]->fid;
  }
  MSR_Register pstateStatus(0xC0010063);
  pstateStatus.Read();
  if (haveStatus) {
    currentVid = Field(status->low, 15, 9);
    currentFid = CodeFromRegister(status->low);
    minVid = Field(status->high, 16, 10);
    if (minVid == 0) minVid = -1;
    maxVid = Field(status->high, 9, 3);
    if (maxVid == 0) maxVid = -1;
    if (readsMaxFid) maxFid = CodeFromRatio(static_cast<float>(Field(status->high, 22, 17)));
  }
  return true;
}

// ------------------------------------------------------------------ AMD K12, K14

float K12_FIDVID_Control::RatioFromCode(int c) {
  if (c == -1) return -1.0f;
  static const float kDivisors[] = {1.0f, 1.5f, 2.0f, 3.0f, 4.0f, 6.0f, 8.0f, 12.0f, 16.0f};
  int d = (c >> 8) & 0xFF;
  float divisor = d >= 1 && d <= 8 ? kDivisors[d] : 1.0f;
  return static_cast<float>((c & 0xFF) + 16) / divisor;
}

int K12_FIDVID_Control::CodeFromRegister(uint32_t low) const { return Field(low, 3, 0) << 8 | Field(low, 8, 4); }

float K14_FIDVID_Control::RatioFromCode(int c) {
  if (c == -1) return -1.0f;
  return (referenceMHz / 100.0f) / Divisor(c);
}

int K14_FIDVID_Control::CodeFromRegister(uint32_t low) const { return Field(low, 8, 4) << 8 | Field(low, 3, 0); }

void K14_FIDVID_Control::SawStatus() {
  int r = Field(status->high, 22, 17);
  referenceMHz = r != 0 ? 100 * r + 1600 : 4000;
}

int K14_FIDVID_Control::FrequencyOf(int code) const { return static_cast<int>(referenceMHz / Divisor(code)); }

// ------------------------------------------------------------------ AMD K7

namespace {
const float kK7Ratios[32] = {11, 11.5f, 12, 12.5f, 5, 5.5f, 6, 6.5f, 7,  7.5f, 8,  8.5f, 9,  9.5f, 10, 10.5f,
                             3,  19,    4,  20,    13, 13.5f, 14, 21, 15, 22,   16, 16.5f, 17, 18,  23, 24};
}  // namespace

float K7_FIDVID_Control::RatioFromCode(int c) { return (c < 0 || c > 31) ? -1.0f : kK7Ratios[c]; }

float K7_FIDVID_Control::VoltageFromCode(int v) {
  if (v >= 0 && v <= 14) return 2.0f - 0.05f * v;
  if (v >= 16 && v <= 30) return 1.275f - 0.025f * (v - 16);
  return -1.0f;
}

bool K7_FIDVID_Control::Refresh() {
  if (!status->Read()) return false;
  currentFid = Field(status->low, 4, 0);
  startFid = Field(status->low, 12, 8);
  maxFid = Field(status->low, 20, 16);
  currentVid = Field(status->high, 4, 0);
  startVid = Field(status->high, 12, 8);
  maxVid = Field(status->high, 20, 16);
  return true;
}

bool K10_FIDVID_Control::WriteTransition(uint64_t mask, uint64_t bits) {
  if (!Modify(mask | 0x70000, bits | 0x10000)) return false;
  return Modify(0x70000, 0);
}

bool K10_FIDVID_Control::SetRatio(float r) {
  int code = CodeFromRatio(std::floor(2 * r));
  if (code == -1) return false;
  uint64_t mask = 0x1FF;
  uint64_t bits = static_cast<uint64_t>((code >> 8) & 7) << 6 | static_cast<uint64_t>(code & 0x3F);
  // The highest VID goes with the ratio only when COFVID status gave one that
  // converts; otherwise the register keeps its VID (VIDs 124 and up switch
  // the core supply off).
  if (maxVid != -1) {
    if (!ValidVid(maxVid, 7)) return false;
    mask |= 0xFE00;
    bits |= static_cast<uint64_t>(maxVid) << 9;
  }
  return WriteTransition(mask, bits);
}

bool K10_FIDVID_Control::SetVid(int v) {
  return ValidVid(v, 7) && WriteTransition(0xFE00, static_cast<uint64_t>(v) << 9);
}

bool K10_FIDVID_Control::SetFid(int c) {
  if (c < 0 || (c & ~0x73F) != 0 || !(RatioFromCode(c) > 0.0f)) return false;
  return WriteTransition(0x1FF, static_cast<uint64_t>((c >> 8) & 7) << 6 | static_cast<uint64_t>(c & 0x3F));
}
