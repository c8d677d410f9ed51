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

// The interfaces CreateSdkInterfaces may create. A program that needs only
// some of them names those; the ones they stand on are added (the processors
// need the ACPI timer and the PCI bus, the ACPI tables the board identity,
// the later interfaces everything before them).
enum SdkInterfaceSet : uint32_t {
  kSdkDmi = 1u << 0,
  kSdkWmi = 1u << 1,
  kSdkPci = 1u << 2,
  kSdkAcpi = 1u << 3,
  kSdkCpu = 1u << 4,
  kSdkChipset = 1u << 5,
  kSdkSmbus = 1u << 6,
  kSdkDisplay = 1u << 7,
  kSdkMonitor = 1u << 8,
  kSdkPll = 1u << 9,
  kSdkSpd = 1u << 10,
  kSdkAll = (1u << 11) - 1,
};

// `wanted` with the interfaces it depends on.
uint32_t SdkInterfacesWithDependencies(uint32_t wanted);

struct SdkStartupHooks {
  // Called before each step with its progress text, or null for a plain step.
  std::function<void(const char* text)> step{};
  // The memory-module step, run after the clock generators.
  std::function<void()> memoryModules{};
  // Which interfaces to create (dependencies are added).
  uint32_t interfaces = kSdkAll;
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
