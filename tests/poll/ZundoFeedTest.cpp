// The polling cycle's feed of the hand-held device on emulated boards: a
// value set every third cycle while the feed is on and none while it is
// off, holding what the SDK measured.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emu/chips/DumpTargets.h"
#include "emu/smbus/ZundoSlave.h"
#include "poll/PollCore.h"
#include "poll/ZundoFeed.h"
#include "sdk/core/SdkStartup.h"
#include "tests/support/EmulatedSdk.h"

namespace {

class FeedBoard {
 public:
  explicit FeedBoard(const std::string& board) : env(board) {
    uint32_t error = 0;
    EXPECT_TRUE(env.driver.Open("/tmp", &error, true));
    QUARNSDK::GetInstance()->SetDriver(&env.driver);
    CreateSdkInterfaces(env.Sdk(), env.driver);
    device = std::static_pointer_cast<emu::ZundoSlave>(emu::FindDumpTarget(*env.machine, "zundo@0x5c"));
  }
  testsupport::EmulatedSdk env;
  std::shared_ptr<emu::ZundoSlave> device;
};

TEST(ZundoFeed, AValueSetEveryThirdCycleWhileOnAndNoneWhileOff) {
  FeedBoard b("brenmor-z68");
  ASSERT_TRUE(b.device);
  CPollCore poll(&b.env.Sdk(), &b.env.driver);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(poll.PollHardware(1000));
  EXPECT_TRUE(b.device->Log().empty()) << "the feed is off by default";

  poll.SetZundoPolling(true);
  // Cycles 4 ... 10: the counter is divisible by three at 6 and 9.
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(poll.PollHardware(1000));
  EXPECT_EQ(b.device->ValueSets(), 2);
  EXPECT_EQ(b.device->Log().size(), 16u);

  poll.SetZundoPolling(false);
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(poll.PollHardware(1000));
  EXPECT_EQ(b.device->ValueSets(), 2);
}

TEST(ZundoFeed, TheDeviceShowsWhatTheSdkMeasured) {
  for (const char* board : {"brenmor-z68", "brenmor-5520dp"}) {
    SCOPED_TRACE(board);
    FeedBoard b(board);
    CPollCore poll(&b.env.Sdk(), &b.env.driver);
    ASSERT_TRUE(poll.PollHardware(1000));  // measure first
    const ZundoValues v = GatherZundoValues(b.env.Sdk());
    ASSERT_GT(v.clockMHz, 100.0f);
    ASSERT_GT(v.cpu0VCore, 0.5f);
    uint32_t error = 0;
    ASSERT_TRUE(b.env.driver.Acquire(&error, 2000));
    b.env.acquired = true;
    ASSERT_EQ(FeedZundo(b.env.Sdk()).size(), 1u);
    if (v.dualProcessor) {
      EXPECT_EQ(b.device->Word(2), static_cast<int>(v.clockMHz));
      EXPECT_EQ(b.device->Word(6), ZundoVoltWord(v.cpu0VCore));
      EXPECT_EQ(b.device->Word(10), ZundoVoltWord(v.cpu1VCore));
      EXPECT_GT(v.cpu1VCore, 0.5f) << "the second processor's core voltage";
      EXPECT_EQ(b.device->Log().size(), 10u);
    } else {
      EXPECT_EQ(b.device->Word(8), static_cast<int>(v.clockMHz));
      EXPECT_EQ(b.device->Word(6), ZundoVoltWord(v.cpu0VCore));
      EXPECT_EQ(b.device->Log().size(), 8u);
    }
  }
}

}  // namespace
