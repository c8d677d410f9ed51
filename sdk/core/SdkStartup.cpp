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

SdkStartupResult CreateSdkInterfaces(QUARNSDK& sdk, CKMDriver& driver, const SdkStartupHooks& hooks) {
  auto step = [&](const char* text) {
    if (hooks.step) hooks.step(text);
  };
  SdkStartupResult result;
  sdk.SetDriver(&driver);
  step(nullptr);
  HardwareLock channel(nullptr, &driver, 0);
  if (!channel) return result;
  result.acquired = true;

  step("WMI");
  sdk.CreateWMIInterface();

  step("DMI");
  BoardIdentity id = IdentifyBoard(sdk, sdk.CreateDMIInterface() != 0);
  auto* board = new CMainboard(id.name);
  board->boardHash = id.boardHash;
  board->boardSum = id.boardSum;
  sdk.SetMainboard(board);
  if (sdk.GetMainboard() != board) delete board;
  result.boardHash = id.boardHash;
  result.boardSum = id.boardSum;

  step("PCI");
  if (sdk.CreatePCIInterface()) {
    step(nullptr);
    ScanPciBus(sdk);
  }
  step("ACPI");
  sdk.CreateACPIInterface(id.boardHash, id.boardSum, 0x7FFFFFFF);
  step("Processors");
  sdk.CreateCPUInterface(0x8000);
  step("Chipset");
  sdk.CreateChipsetInterface();
  step("SMBus");
  sdk.CreateSMBusInterface();
  step("Graphics");
  sdk.CreateDisplayInterface(0xFFFF);
  step("Hardware Monitoring");
  sdk.CreateHardwareMonitorInterface(id.boardHash, id.boardSum, 0x7FFFFFFF);
  step("PLL");
  sdk.CreatePLLInterface(id.boardHash);
  step("SPD");
  if (hooks.memoryModules) hooks.memoryModules();
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
