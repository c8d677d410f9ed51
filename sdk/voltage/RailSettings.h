// Settings of a rail row as the user sees them: the ordered list of
// voltages (or offsets) a row can take, the position of a current setting in
// it, and the setting (value, flags) for a voltage. Entry i of a type-1
// row's list stands for the signed setting i - m (m settings below the
// base, then p from the base up).
#pragma once

#include <string>
#include <vector>

#include "sdk/voltage/MicroControllerDesc.h"

class CBoardControl;

namespace rails {

// The row has an absolute base (else it is shown as offsets).
bool HasBase(const _stMicroControllerOutputDesc& row);
// Entries of the row's list, each the volts (or offset) it stands for,
// accumulated by single-precision addition of the step as the page shows
// them.
std::vector<float> Entries(const _stMicroControllerOutputDesc& row);
// "%.5f V", "- %.5f V" or "+ %.5f V" for entry i.
std::string EntryText(const _stMicroControllerOutputDesc& row, int i);
// The list position of a setting (code, direction); -1 outside the list.
int EntryOf(const _stMicroControllerOutputDesc& row, int code, int direction);
// The setting of list position i: value and flags (bit 0 below the base).
void SettingOf(const _stMicroControllerOutputDesc& row, int i, int* value, int* flags);
// The list position of `volts` (absolute for rows with a base, else an
// offset), allowing a quarter step for rounding; -1 when no entry is that
// close (outside the range, or between two settings).
int EntryForVolts(const _stMicroControllerOutputDesc& row, double volts);

// One rail as the Voltages page lists it.
struct VisibleRail {
  int controller;
  int row;
  std::string label;  // with "CPU0 " / "CPU1 " for processor rows
  std::string name;   // the row's own label
};
// The rails listed for `processor` (rows of the other processor left out),
// in controller and row order.
std::vector<VisibleRail> VisibleRails(const CBoardControl& control, int processor);

}  // namespace rails
