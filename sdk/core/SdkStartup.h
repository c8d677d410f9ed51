// Bringing the driver channel and the SDK up, and taking them down again, in
// the order every program on the SDK uses.
#pragma once

#include <cstdint>
#include <functional>

class CKMDriver;
class QUARNSDK;

enum class DriverStartResult {
  Ok,
  OpenFailed,    // the channel could not be opened: "Error during driver initialization"
  WrongVersion,  // the driver answered another protocol version; the channel is closed
};

// Opens the channel with `baseDirectory` and checks the driver version
// (0x135). On a wrong version the channel is released, closed with stop and
// delete, and WrongVersion returned.
DriverStartResult StartDriverChannel(CKMDriver& driver, const char* baseDirectory, uint32_t* error,
                                     uint32_t* version);

struct SdkStartupHooks {
  // Called before each step with its progress text, or null for a plain step.
  std::function<void(const char* text)> step;
  // The memory-module step, run after the clock generators.
  std::function<void()> memoryModules;
};

struct SdkStartupResult {
  bool acquired = false;   // the channel could be acquired for the interfaces
  int32_t boardHash = -1;  // 0xFFFFFFFF without a baseboard product string
  int32_t boardSum = -1;
};

// Creates the facade's interfaces under the driver lock, each when its
// domain exists; a failing one is skipped.
SdkStartupResult CreateSdkInterfaces(QUARNSDK& sdk, CKMDriver& driver, const SdkStartupHooks& hooks = {});

// Teardown at exit: Shutdown under the driver lock, the facade released, the
// channel closed (stop and delete).
void ShutdownSdk(CKMDriver* driver);
