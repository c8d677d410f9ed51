#include "sdk/core/SdkStartup.h"

#include <cstdio>

#include "driver/CKMDriver.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/StartupBoardIdentity.h"

DriverStartResult StartDriverChannel(CKMDriver& driver, const char* baseDirectory, uint32_t* error,
                                     uint32_t* version) {
  uint32_t dummyError = 0, dummyVersion = 0;
  if (!error) error = &dummyError;
  if (!version) version = &dummyVersion;
  *version = 0xFFFFFFFF;
  driver.SetResourceIds(106, 107, 108, 109);
  if (!driver.Open(baseDirectory, error, true)) return DriverStartResult::OpenFailed;
  if (AcquireChannel(driver, error)) {
    driver.GetVersion(version);
    if (*version != KMIO_DRIVER_VERSION) {
      driver.Release();
      driver.Close(true, true);
      return DriverStartResult::WrongVersion;
    }
    driver.Release();
  }
  return DriverStartResult::Ok;
}

uint32_t SdkInterfacesWithDependencies(uint32_t wanted) {
  uint32_t set = wanted & kSdkAll;
  // Monitoring, clock generators and memory modules read through the buses
  // and sensors of everything created before them.
  if (set & (kSdkMonitor | kSdkPll | kSdkSpd))
    set |= kSdkDmi | kSdkWmi | kSdkPci | kSdkAcpi | kSdkCpu | kSdkChipset | kSdkSmbus;
  if (set & kSdkSmbus) set |= kSdkPci | kSdkChipset;
  if (set & kSdkChipset) set |= kSdkPci;
  // Display adapters are PCI display controllers.
  if (set & kSdkDisplay) set |= kSdkPci;
  if (set & kSdkCpu) set |= kSdkAcpi | kSdkPci;
  if (set & kSdkAcpi) set |= kSdkDmi;
  return set;
}

SdkStartupResult CreateSdkInterfaces(QUARNSDK& sdk, CKMDriver& driver, const SdkStartupHooks& hooks) {
  auto step = [&](const char* text) {
    if (hooks.step) hooks.step(text);
  };
  const uint32_t want = SdkInterfacesWithDependencies(hooks.interfaces);
  SdkStartupResult result;
  sdk.SetDriver(&driver);
  step(nullptr);
  HardwareLock channel(nullptr, &driver, 0);
  if (!channel) return result;
  result.acquired = true;

  step("WMI");
  if (want & kSdkWmi) sdk.CreateWMIInterface();

  step("DMI");
  BoardIdentity id{};
  id.boardHash = -1;
  id.boardSum = -1;
  if (want & kSdkDmi) {
    id = IdentifyBoard(sdk, sdk.CreateDMIInterface() != 0);
    auto* board = new CMainboard(id.name);
    board->boardHash = id.boardHash;
    board->boardSum = id.boardSum;
    sdk.SetMainboard(board);
    if (sdk.GetMainboard() != board) delete board;
    result.boardHash = id.boardHash;
    result.boardSum = id.boardSum;
  }

  step("PCI");
  if ((want & kSdkPci) && sdk.CreatePCIInterface()) {
    step(nullptr);
    ScanPciBus(sdk);
  }
  step("ACPI");
  if (want & kSdkAcpi) sdk.CreateACPIInterface(id.boardHash, id.boardSum, 0x7FFFFFFF);
  step("Processors");
  if (want & kSdkCpu) sdk.CreateCPUInterface(0x8000);
  step("Chipset");
  if (want & kSdkChipset) sdk.CreateChipsetInterface();
  step("SMBus");
  if (want & kSdkSmbus) sdk.CreateSMBusInterface();
  step("Graphics");
  if (want & kSdkDisplay) sdk.CreateDisplayInterface(0xFFFF);
  step("Hardware Monitoring");
  if (want & kSdkMonitor) sdk.CreateHardwareMonitorInterface(id.boardHash, id.boardSum, 0x7FFFFFFF);
  step("PLL");
  if (want & kSdkPll) sdk.CreatePLLInterface(id.boardHash);
  step("SPD");
  if ((want & kSdkSpd) && hooks.memoryModules) hooks.memoryModules();
  step("End");
  return result;
}

void ShutdownSdk(CKMDriver* driver) {
  if (!driver) {
    QUARNSDK::ReleaseInstance();
    return;
  }
  {
    // Only a channel this thread acquired is released.
    HardwareLock channel(nullptr, driver, 0);
    if (channel && QUARNSDK::HasInstance()) QUARNSDK::GetInstance()->Shutdown();
    QUARNSDK::ReleaseInstance();
  }
  driver->Close(true, true);
}
