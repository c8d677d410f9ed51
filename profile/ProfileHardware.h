// Taking a profile from the hardware and putting it back: the board's clock
// generators (graphics clocks are never part of a profile), every rail of
// the board's voltage controllers and processor 0's turbo switch and turbo
// ratio limits. Each batch of access takes the hardware lock itself, so
// callers must not hold it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "profile/CProfile.h"

class CKMDriver;
class CPLL;
class QUARNSDK;

// Ratio limits a profile may set (the range the Overclocking page offers);
// a value equal to the register's current byte is always accepted.
inline constexpr int kProfileMinRatio = 12;
inline constexpr int kProfileMaxRatio = 65;

struct ProfileReport {
  // Why the profile was not applied at all (nothing was written).
  std::vector<std::string> refusals;
  // Writes the hardware did not take.
  std::vector<std::string> failures;
  // What was changed, one line each.
  std::vector<std::string> changes;
};

// Reads the current state into `profile` (board id included); false when
// the hardware lock could not be taken.
bool CaptureProfile(QUARNSDK& sdk, CKMDriver& driver, CProfile* profile);

// Captures the state and writes it to `path`; 1 on success, else 0 with
// `error` set.
int SaveProfile(const std::string& path, QUARNSDK& sdk, CKMDriver& driver, std::string* error = nullptr);

// Every value of `profile` that this board would receive, checked against
// the generator's range, the rail's rows and the ratio range; the problems
// found (empty = all can be written).
std::vector<std::string> CheckProfile(const CProfile& profile, QUARNSDK& sdk, CKMDriver& driver);

// Checks the profile; with any problem nothing is written and 0 returned.
// Otherwise writes, in order: the turbo switch (an absent TURBO line means
// turbo on), the ratio limits (unset ones keep the register's value), the
// rails of this board's controllers (on the dual-processor boards after
// selecting the processor's regulator branch, within the same lock), and
// the clock generators by 10 MHz steps. Values already in place are not
// written again. 1 when the profile was applied (write failures are listed
// in the report).
int ApplyProfile(const CProfile& profile, QUARNSDK& sdk, CKMDriver& driver, ProfileReport* report = nullptr);
