// The eight numbered profiles in the user's configuration directory, as the
// hot keys, the Options page and torvikctl use them: save the current
// state as profile N, load profile N and apply it.
#pragma once

#include <cstdint>
#include <string>

#include "profile/ProfileHardware.h"

class CKMDriver;
class QUARNSDK;

inline constexpr int kProfileCount = 8;

// <configuration directory>/profiles; empty when there is none.
std::string ProfileDirectory();
// <profile directory>/profile_NN.txt for n = 1 .. 8; empty otherwise.
std::string ProfilePath(int n);

struct ProfileOutcome {
  enum class Status {
    Done,        // saved, or applied with every write taken
    NoSuchSlot,  // n outside 1 .. 8, or no configuration directory
    Missing,     // profile n was never saved
    Rejected,    // not a profile file of this version
    OtherBoard,  // saved on another board; needs the user's consent
    Refused,     // values out of range: nothing was written
    Failed,      // the save failed, or some writes were not taken
  };
  Status status = Status::Failed;
  // One sentence for a status line or a message box.
  std::string message;
  ProfileReport report;
  std::string path;
  // The board the profile was saved on (-1 unknown) and this board.
  int32_t profileBoard = -1;
  int32_t thisBoard = -1;

  bool Ok() const { return status == Status::Done; }
  // True when anything may have been written (applied, fully or in part).
  bool Wrote() const { return status == Status::Done || status == Status::Failed; }
};

// Saves the current state as profile n (creating the directory).
ProfileOutcome SaveProfileNumber(int n, QUARNSDK& sdk, CKMDriver& driver);
// Reads profile n and applies it. A profile saved on another board is
// applied only with `allowOtherBoard`; else OtherBoard and nothing written.
ProfileOutcome ApplyProfileNumber(int n, QUARNSDK& sdk, CKMDriver& driver, bool allowOtherBoard);
// Reads profile n without applying it (torvikctl profile show).
ProfileOutcome ReadProfileNumber(int n, CProfile* profile);
