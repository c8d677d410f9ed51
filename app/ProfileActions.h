// The profiles as the window uses them: the hot keys (left Alt, then '1' to
// '8') load and apply one, the Options page saves one. Both run on the
// user-interface thread and take the hardware lock themselves: the caller
// must not hold it.
#pragma once

#include "profile/ProfileSlots.h"

// Loads profile n (1 .. 8) and applies it. A profile saved on another board
// is applied only when the user answers Yes to the question; a profile that
// is not one of this version, or whose values this board cannot take, is
// refused with a warning box and nothing written; a profile never saved is
// passed over silently. After anything was written every page reloads its
// settings (WM_RELOAD_SETTINGS to all pages of the main window).
ProfileOutcome LoadAndApplyProfile(int n);

// Saves the current state as profile n, replacing an earlier one. The
// Options page asks its own question before; this shows nothing.
ProfileOutcome SaveCurrentProfile(int n);
