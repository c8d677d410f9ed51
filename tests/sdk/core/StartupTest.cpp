// Bringing the channel and the SDK up and down.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "driver/CKMDriver.h"
#include "driver/DriverEndpoint.h"
#include "driver/DriverProtocol.h"
#include "emu/EmulatedMachine.h"
#include "machines/MachineSelect.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"

namespace {

// A driver that speaks another protocol version.
class OldDriver : public drv::DriverService, public drv::DriverDevice {
 public:
  bool Install(uint32_t*) override { return installed = true; }
  bool IsInstalled() override { return installed; }
  drv::DriverDevice* OpenDevice(uint32_t* e) override {
    if (!installed) *e = drv::kErrorFileNotFound;
    return installed ? this : nullptr;
  }
  void CloseDevice(drv::DriverDevice*) override {}
  bool Uninstall(bool, bool remove, uint32_t*) override {
    removed = remove;
    installed = false;
    return true;
  }
  std::string Describe() override { return "old"; }
  uint32_t IoControl(uint32_t code, const void*, uint32_t, void* out, uint32_t, uint32_t*, drv::UserBuffer) override {
    if (drv::FunctionOf(code) != drv::kGetVersion) return drv::kErrorNotSupported;
    *static_cast<uint32_t*>(out) = 0x134;
    return 0;
  }
  bool installed = false, removed = false;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(machines::SelectMachine("emulated", &err, emu::TimeBase::Mode::Virtual)) << err;
  }
  void TearDown() override { QUARNSDK::ReleaseInstance(); }
};

TEST_F(StartupTest, WrongVersionClosesAndRemovesTheDriver) {
  OldDriver old;
  CKMDriver driver;
  driver.SetService(&old);
  uint32_t error = 0, version = 0;
  EXPECT_EQ(StartDriverChannel(driver, "/tmp", &error, &version), DriverStartResult::WrongVersion);
  EXPECT_EQ(version, 0x134u);
  EXPECT_TRUE(old.removed);
  EXPECT_EQ(driver.mutex, nullptr);
  EXPECT_FALSE(QUARNSDK::HasInstance()) << "no facade is created";
}

TEST_F(StartupTest, WithoutBoardIdentityTheMainboardIsNamedMainboard) {
  CKMDriver driver;
  uint32_t error = 0, version = 0;
  ASSERT_EQ(StartDriverChannel(driver, "/tmp", &error, &version), DriverStartResult::Ok);
  EXPECT_EQ(driver.resourceIds[2], 108);
  std::vector<std::string> steps;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  SdkStartupResult r = CreateSdkInterfaces(*sdk, driver, {[&](const char* t) { steps.push_back(t ? t : "-"); }, {}});
  EXPECT_TRUE(r.acquired);
  EXPECT_FALSE(driver.IsAcquired()) << "the channel is released at the end";
  ASSERT_NE(sdk->GetMainboard(), nullptr);
  if (!sdk->dmiInterface) {
    EXPECT_STREQ(sdk->GetMainboard()->name, "Mainboard");
    EXPECT_EQ(sdk->GetMainboard()->boardHash, -1);
    EXPECT_EQ(r.boardSum, -1);
  }
  ASSERT_GE(steps.size(), 12u);
  EXPECT_EQ(steps[1], "WMI");
  EXPECT_EQ(steps[2], "DMI");
  EXPECT_EQ(steps.back(), "End");
  EXPECT_EQ(sdk->FindInterface(0x8000), nullptr) << "no management service on this platform";
  ShutdownSdk(&driver);
  EXPECT_FALSE(QUARNSDK::HasInstance());
  EXPECT_EQ(driver.mutex, nullptr);
}

TEST_F(StartupTest, ChannelBusyLeavesTheFacadeWithoutInterfaces) {
  CKMDriver driver;
  uint32_t error = 0;
  ASSERT_EQ(StartDriverChannel(driver, "/tmp", &error, nullptr), DriverStartResult::Ok);
  // Hold the channel from another thread so that the start-up cannot get it.
  std::atomic<bool> held{false}, done{false};
  std::thread holder([&] {
    CKMDriver other;
    uint32_t e = 0;
    other.Open("/tmp", &e, true);
    other.Acquire(&e, 2000);
    held = true;
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    other.Release();
    other.Close(false, false);
  });
  while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  SdkStartupResult r = CreateSdkInterfaces(*QUARNSDK::GetInstance(), driver);
  done = true;
  holder.join();
  EXPECT_FALSE(r.acquired);
  EXPECT_EQ(QUARNSDK::GetInstance()->GetInterfaces()->count, 0);
  ShutdownSdk(&driver);
}

}  // namespace
