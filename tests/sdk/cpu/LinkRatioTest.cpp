// The system link as a multiple of the bus clock (QPI behind the X58 / 5520
// I/O hub, HyperTransport to the chipset), the nominal bus clocks by bus
// code, and the link clock the emulated boards report.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/LinkRatio.h"
#include "tests/sdk/cpu/CpuTestBench.h"

namespace {

// Configuration registers by (device, function, offset) on bus 0; absent
// ones fail to read.
std::map<std::tuple<uint32_t, uint32_t, uint32_t>, uint32_t> g_config;

bool FakeRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t* value) {
  auto it = g_config.find({device, function, offset});
  if (bus != 0 || it == g_config.end()) return false;
  *value = it->second;
  return true;
}

TEST(QpiLinkRatio, FromTheHubsFrequencySelect) {
  struct Row {
    uint32_t id, select;
    int ratio;
  } rows[] = {
      {0x34238086, 0x0, 18},  // 4.8 GT/s
      {0x34238086, 0x2, 24},  // 6.4 GT/s
      {0x34238086, 0x7FFFFFFE, 24},  // only bits 1:0 count
      {0x34238086, 0x1, -1},  // reserved
      {0x34238086, 0x3, -1},
      {0x34228086, 0x0, -1},  // another function of the hub
  };
  for (const Row& r : rows) {
    g_config = {{{20, 2, 0}, r.id}, {{20, 2, 0xD0}, r.select}};
    EXPECT_EQ(QpiLinkRatio(FakeRead), r.ratio) << std::hex << r.id << " " << r.select;
  }
  g_config.clear();
  EXPECT_EQ(QpiLinkRatio(FakeRead), -1) << "no hub";
}

TEST(HyperTransportLinkRatio, FirstConnectedNonCoherentLinkByItsFrequencyCode) {
  struct Row {
    const char* what;
    uint32_t link0Type, link0Freq, link1Type, link1Freq, link1Ext;
    bool extension;
    int ratio;
  } rows[] = {
      {"chipset on link 0 at 2000 MHz", 0x7, 0xB00, 0, 0, 0, true, 10},
      {"coherent link 0 is skipped", 0x3, 0x600, 0x7, 0x500, 0, true, 4},
      {"unconnected link 0 is skipped", 0x4, 0x600, 0x7, 0x000, 0, true, 1},
      {"extension: 3000 MHz", 0, 0, 0x7, 0x200, 1, true, 15},
      {"family 0Fh has no extension register", 0, 0, 0x7, 0x600, 1, false, 5},
      {"reserved code", 0x7, 0xF00, 0, 0, 0, true, -1},
      {"reserved code 3", 0x7, 0x300, 0, 0, 0, true, -1},
      {"no non-coherent link", 0x3, 0xB00, 0x3, 0xB00, 0, true, -1},
  };
  for (const Row& r : rows) {
    g_config = {{{0x18, 0, 0}, 0x12001022},      {{0x18, 0, 0x98}, r.link0Type}, {{0x18, 0, 0x88}, r.link0Freq},
                {{0x18, 0, 0x9C}, 0},             {{0x18, 0, 0xB8}, r.link1Type}, {{0x18, 0, 0xA8}, r.link1Freq},
                {{0x18, 0, 0xBC}, r.link1Ext}};
    EXPECT_EQ(HyperTransportLinkRatio(FakeRead, r.extension), r.ratio) << r.what;
  }
  g_config = {{{0x18, 0, 0}, 0x12008086}, {{0x18, 0, 0x98}, 0x7}, {{0x18, 0, 0x88}, 0xB00}};
  EXPECT_EQ(HyperTransportLinkRatio(FakeRead, true), -1) << "not an AMD node";
}

TEST(NominalBusClock, BusCodesGiveTheirClocksWithThirdsRoundedUp) {
  const std::pair<int, float> rows[] = {{25, 25.0f},   {33, 33.34f},   {66, 66.67f},   {100, 100.0f},
                                        {133, 133.34f}, {166, 166.67f}, {200, 200.0f}, {266, 266.67f},
                                        {333, 333.34f}, {400, 400.0f},  {134, -1.0f},  {-1, -1.0f}};
  for (const auto& [code, mhz] : rows) EXPECT_FLOAT_EQ(NominalBusClock(code), mhz) << code;
}

// The link clock each emulated board's processor reports: the bus clock
// measured by the refresh times the link ratio its chipset registers give.
TEST(LinkClock, TheEmulatedBoardsReportTheirLinks) {
  struct Row {
    const char* board;
    int ratio;
    float linkMHz;
  } rows[] = {
      {"brenmor-x58", 18, 2400.0f},     // i7-920, 4.8 GT/s QPI
      {"brenmor-5520dp", 24, 3200.0f},  // Xeon X5650, 6.4 GT/s QPI
      {"kestrel-am3", 10, 2000.0f},     // Phenom II X4 955, HyperTransport 3 at 2 GHz
      {"brenmor-p67", -1, -1.0f},       // Sandy Bridge: no external link
  };
  for (const Row& r : rows) {
    CpuTestBench bench(r.board);
    ASSERT_TRUE(bench.Sdk().CreateACPIInterface(0, 0, 0x7FFFFFFF)) << r.board;
    ASSERT_TRUE(bench.Sdk().CreateCPUInterface(0x8000)) << r.board;
    CProcessor* p = bench.Sdk().cpuInterface->GetProcessor(0);
    ASSERT_NE(p, nullptr) << r.board;
    EXPECT_EQ(p->FirstThread()->linkRatio, r.ratio) << r.board;
    if (r.linkMHz > 0)
      EXPECT_NEAR(p->GetLinkClock(), r.linkMHz, r.linkMHz * 0.002) << r.board;
    else
      EXPECT_FLOAT_EQ(p->GetLinkClock(), -1.0f) << r.board;
  }
}

}  // namespace
