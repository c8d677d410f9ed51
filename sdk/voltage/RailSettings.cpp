#include "sdk/voltage/RailSettings.h"

#include <cmath>
#include <cstdio>

#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/CMicroController.h"

namespace rails {

namespace {

int Below(const _stMicroControllerOutputDesc& row) { return (row.type & 0xFFFF) == ROW_CODE ? row.stepsBelow : 0; }

}  // namespace

bool HasBase(const _stMicroControllerOutputDesc& row) { return row.base > 0; }

std::vector<float> Entries(const _stMicroControllerOutputDesc& row) {
  std::vector<float> out;
  const int m = Below(row), p = row.stepsAbove;
  if (m > 0) {
    float v = HasBase(row) ? row.base - static_cast<float>(m) * row.stepBelow : static_cast<float>(m) * row.stepBelow;
    for (int k = 0; k < m; ++k) {
      out.push_back(v);
      v = HasBase(row) ? v + row.stepBelow : v - row.stepBelow;
    }
  }
  float v = HasBase(row) ? row.base : 0.0f;
  for (int k = 0; k < p; ++k) {
    out.push_back(v);
    v += row.stepAbove;
  }
  return out;
}

std::string EntryText(const _stMicroControllerOutputDesc& row, int i) {
  const std::vector<float> e = Entries(row);
  if (i < 0 || i >= static_cast<int>(e.size())) return {};
  char b[48];
  const double v = e[i];
  if (HasBase(row)) std::snprintf(b, sizeof(b), "%.5f V", v);
  else if (i < Below(row)) std::snprintf(b, sizeof(b), "- %.5f V", v);
  else std::snprintf(b, sizeof(b), "+ %.5f V", v);
  return b;
}

int EntryOf(const _stMicroControllerOutputDesc& row, int code, int direction) {
  if (code < 0) return -1;
  const int m = Below(row);
  const int i = direction ? m - code : m + code;
  return i >= 0 && i < m + row.stepsAbove ? i : -1;
}

void SettingOf(const _stMicroControllerOutputDesc& row, int i, int* value, int* flags) {
  const int a = i - Below(row);
  *value = a < 0 ? -a : a;
  *flags = a < 0 ? kSettingBelowBase : 0;
}

int EntryForVolts(const _stMicroControllerOutputDesc& row, double volts) {
  const std::vector<float> e = Entries(row);
  int best = -1;
  double bestDistance = 0;
  for (int i = 0; i < static_cast<int>(e.size()); ++i) {
    const double target = !HasBase(row) && i < Below(row) ? -static_cast<double>(e[i]) : e[i];
    const double d = std::fabs(target - volts);
    if (best < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  if (best < 0) return -1;
  const double step = best < Below(row) ? row.stepBelow : row.stepAbove;
  return bestDistance <= std::fabs(step) / 4 + 1e-6 ? best : -1;
}

std::vector<VisibleRail> VisibleRails(const CBoardControl& control, int processor) {
  const int32_t bit = processor == 0 ? rowid::kFirstCpu : processor == 1 ? rowid::kSecondCpu : 0;
  std::vector<VisibleRail> out;
  for (int c = 0; c < control.ControllerCount(); ++c) {
    const _stMicroControllerOutputDesc* table = control.GetController(c)->descriptions;
    for (int j = 0; j < control.RowCount(c); ++j) {
      const _stMicroControllerOutputDesc& row = table[j];
      const bool cpuRow = row.id & rowid::kCpuMask;
      if (cpuRow && !(row.id & bit)) continue;
      VisibleRail r{c, j, row.label ? row.label : "", row.label ? row.label : ""};
      if (cpuRow) r.label = (processor == 0 ? "CPU0 " : "CPU1 ") + r.name;
      out.push_back(r);
    }
  }
  return out;
}

}  // namespace rails
