// How long each lock of the program is waited for. Every wait is bounded:
// a lock another program never gives up costs a message, not a hang.
#pragma once

#include <cstdint>

namespace plat {

// Setting up a lock segment (its initialisation guard) and taking a lock on
// creation.
inline constexpr uint32_t kLockSetupTimeoutMs = 2000;

// The driver channel, taken inside the SDK lock.
inline constexpr uint32_t kChannelTimeoutMs = 2000;
// Closing the channel at exit.
inline constexpr uint32_t kChannelCloseTimeoutMs = 10000;

// The SDK lock: a one-shot user action (command line, menu, button) waits
// this long; a page redraw and the periodic poll skip their turn instead.
inline constexpr uint32_t kUserActionSdkTimeoutMs = 10000;
inline constexpr uint32_t kRedrawSdkTimeoutMs = 100;
inline constexpr uint32_t kPollSdkTimeoutMs = 50;

// Bus locks held around one transaction. A multiplexer switch is waited for
// as long as the transaction it precedes.
inline constexpr uint32_t kBusTransactionTimeoutMs = 1000;

}  // namespace plat
