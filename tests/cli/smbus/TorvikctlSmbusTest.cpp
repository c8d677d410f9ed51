// torvikctl's smbus and superio commands on the vendor's emulated boards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl(args); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TorvikctlSmbus, ProbeListsTheBoardsSlavesPerChannel) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-x58 smbus probe");
  ASSERT_EQ(r.status, 0) << r.out;
  // Both channels of the switch: the DIMMs, their thermal sensors and the
  // clock generator on the
  // common segment and the chip at 0x2D behind the switch.
  const std::string ch0 = "host 0: Intel_ICH4_SMBusRegisterSpace at 0x0500, channel 0 of Brenmor_ICH10R_SMBusMultiplexer";
  const std::string ch1 = "host 0: Intel_ICH4_SMBusRegisterSpace at 0x0500, channel 1 of Brenmor_ICH10R_SMBusMultiplexer";
  ASSERT_TRUE(Has(r.out, ch0)) << r.out;
  ASSERT_TRUE(Has(r.out, ch1)) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n') > 20, true);
  EXPECT_TRUE(Has(r.out, "answered: 0x18 0x1A 0x1C 0x2D 0x50 0x52 0x54 0x5C 0x69\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "20: -- -- -- -- -- -- -- -- -- -- -- -- -- 2d -- --")) << r.out;
  EXPECT_TRUE(Has(r.out, "50: 50 -- 52 -- 54 --")) << r.out;

  CmdResult j = Torvikctl("--machine emulated:brenmor-x58 --json smbus probe");
  ASSERT_EQ(j.status, 0) << j.out;
  EXPECT_TRUE(Has(j.out, "\"channel\":1,\"answered\":[\"0x18\",\"0x1A\",\"0x1C\",\"0x2D\",\"0x50\",\"0x52\",\"0x54\",\"0x5C\",\"0x69\"]")) << j.out;
}

TEST(TorvikctlSmbus, HostsReadsAndGuardedWrites) {
  CmdResult list = Torvikctl("--machine emulated:brenmor-x58 smbus");
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_TRUE(Has(list.out, "host 0: Intel_ICH4_SMBusRegisterSpace at 0x0500")) << list.out;
  EXPECT_TRUE(Has(list.out, "switch: Brenmor_ICH10R_SMBusMultiplexer")) << list.out;
  EXPECT_TRUE(Has(Torvikctl("--machine emulated:brenmor-x58 --json smbus").out, "\"class\":\"Intel_ICH4_SMBusRegisterSpace\""));

  EXPECT_EQ(Torvikctl("--machine emulated:brenmor-x58 smbus read 0:0 0x2D 0xFE").out, "0x2D\n");
  EXPECT_EQ(Torvikctl("--machine emulated:brenmor-x58 smbus read 0:1 0x2D 0xFE").out, "0x79\n");
  EXPECT_EQ(Torvikctl("--machine emulated:brenmor-x58 smbus read 0 0x33 0").status, 1) << "nobody answers";

  CmdResult refused = Torvikctl("--machine emulated:brenmor-x58 smbus write 0:1 0x2D 0x10 0x42");
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Has(refused.out, "--yes")) << refused.out;
  CmdResult wrote = Torvikctl("--machine emulated:brenmor-x58 --yes smbus write 0:1 0x2D 0x10 0x42");
  ASSERT_EQ(wrote.status, 0) << wrote.out;
  EXPECT_EQ(wrote.out, "slave 0x2D command 0x10: 0x00 -> 0x42\n");

  // Nobody acknowledges: every kind of write fails, and a block read that
  // brought nothing is no answer either.
  for (const char* silent : {"--yes smbus write 0 0x33 0x10 0x55", "--yes smbus write 0 0x33 0x10 word 0x1234",
                             "--yes smbus write 0 0x33 0x10 block 1 2 3", "smbus read 0 0x33 0 block"}) {
    CmdResult r = Torvikctl(std::string("--machine emulated:brenmor-x58 ") + silent);
    EXPECT_EQ(r.status, 1) << silent << "\n" << r.out;
    EXPECT_FALSE(Has(r.out, "->")) << silent;
  }

  for (const char* bad : {"smbus read", "smbus read 0 0x80 0", "smbus read 0:2 0x2D 0", "smbus write 0 0x2D 0 byte",
                          "smbus frob", "superio extra"}) {
    CmdResult r = Torvikctl(std::string("--machine emulated:brenmor-x58 ") + bad);
    EXPECT_EQ(r.status, 2) << bad << "\n" << r.out;
  }
  // Arguments are checked before anything starts: on a host whose hardware
  // this process cannot reach, a bad argument is still a usage error.
  for (const char* bad : {"smbus read 0 0x80 0", "--yes smbus write 0 0x2D 0x10 0x100"})
    EXPECT_EQ(Torvikctl(std::string("--machine host ") + bad).status, 2) << bad;
}

TEST(TorvikctlSmbus, SuperioFindsTheFintekChips) {
  CmdResult x58 = Torvikctl("--machine emulated:brenmor-x58 superio");
  ASSERT_EQ(x58.status, 0) << x58.out;
  EXPECT_TRUE(Has(x58.out, "0x2E: Fintek F71882F, chip 0x0541\n")) << x58.out;
  EXPECT_TRUE(Has(x58.out, "logical device 0x04 at 0x0A00\n")) << x58.out;
  CmdResult dp = Torvikctl("--machine emulated:brenmor-5520dp --json superio");
  ASSERT_EQ(dp.status, 0) << dp.out;
  EXPECT_TRUE(Has(dp.out, "\"port\":\"0x4E\",\"vendor\":\"Fintek\",\"chip\":\"F71808E\"")) << dp.out;
}

}  // namespace
