// torvikctl gpu: the display adapters of the emulated boards, the card
// regulators set and read back, and refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl("--virtual-time " + args); }

void ExpectHas(const CmdResult& r, const std::string& text) {
  EXPECT_NE(r.out.find(text), std::string::npos) << "missing: " << text << "\n" << r.out;
}

TEST(TorvikctlGpuTest, TwoIdenticalCardsWithTheirRegulatorsAndChips) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-x58 --json gpu");
  ASSERT_EQ(r.status, 0) << r.out;
  ExpectHas(r, "\"index\":0,\"name\":\"NVIDIA GeForce GTX 480\",\"chip\":\"GF100\",\"bus\":3");
  ExpectHas(r, "\"index\":1,\"name\":\"NVIDIA GeForce GTX 480\",\"chip\":\"GF100\",\"bus\":4");
  ExpectHas(r, "\"subsystemVendorId\":\"0x1B4F\"");
  ExpectHas(r, "\"familyCode\":\"0x01060400\",\"backends\":[\"NVIDIA I/O\"]");
  ExpectHas(r, "{\"rail\":\"nvvdd\",\"name\":\"NV VDD (3D)\",\"volts\":1}");
  ExpectHas(r, "{\"rail\":\"pexvdd\",\"name\":\"PEX VDD\",\"volts\":1.151}");
  ExpectHas(r, "{\"rail\":\"fbvdd\",\"name\":\"FB VDD\",\"volts\":1.755}");
  ExpectHas(r, "\"chips\":[\"Analog Device ADT7475\"]");
  // The thermal chip's readings hang under its card: the GPU diode, the
  // board, the fan and its duty.
  ExpectHas(r, "{\"name\":\"Remote 1\",\"value\":58.25,\"kind\":\"temperature\"},"
               "{\"name\":\"Local\",\"value\":41,\"kind\":\"temperature\"},{\"name\":\"FANIN0\",\"value\":1900.");
  ExpectHas(r, "{\"name\":\"PWM1\",\"value\":40,\"kind\":\"pwm\"}");
}

TEST(TorvikctlGpuTest, DirectReadingsOfEachMaker) {
  struct Case {
    const char* board;
    std::vector<std::string> lines;
  } cases[] = {
      {"brenmor-x58",
       {"Adapter 1: NVIDIA GeForce GTX 480", "Chip GF100, revision A3, process 40 nm, family code 0x01060400",
        "Level 0: core 702, shaders 1404, memory 1848 MHz",
        // The card's thermal chip in the units `torvikctl sensors` uses.
        "Sensor VCCP: +0.999 V", "Sensor Local: +41.0\xC2\xB0" "C", "Sensor FANIN0: 1900 RPM", "Sensor PWM1: 40%"}},
      {"brenmor-p55",
       {"Adapter 0: NVIDIA GeForce GTX 285", "Chip GT200, revision A1, process 65 nm, family code 0x01050200",
        "Memory: 1024 MB, GDDR3, 512 bits", "Level 0: core 648, shaders 1476, memory 1242 MHz"}},
      {"brenmor-z68",
       {"Adapter 0: Intel HD Graphics 2000 (GT2)", "Chip Sandy Bridge", "Backends: Intel I/O",
        "Memory: 64 MB", "Level 0: core 1100, shaders n/a, memory n/a MHz", "Temperature 47 C"}},
      {"kestrel-am3",
       {"Adapter 0: ATI Radeon HD 4870", "Chip RV770", "Memory: 512 MB, type n/a, 256 bits",
        "Level 0: core 750", "Temperature 55 C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board);
    CmdResult r = Torvikctl(std::string("--machine emulated:") + c.board + " gpu");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const std::string& line : c.lines) ExpectHas(r, line);
  }
}

// The backends' report: each backend's name and its section; the I2C scan
// covers Fermi cards only (its full run over the X58 board's cards is
// covered by the SDK's tests, it takes long on the emulated buses).
TEST(TorvikctlGpuTest, ReportNamesEachBackendWithItsSection) {
  struct Case {
    const char* board;
    const char* text;
  } cases[] = {
      {"brenmor-p55", "NVIDIA I/O\n\nGraphics I2C\n"},
      {"kestrel-am3", "ATI I/O\n"},
      {"brenmor-z68", "Intel I/O\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board);
    CmdResult r = Torvikctl(std::string("--machine emulated:") + c.board + " gpu report");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, c.text);
  }
}

TEST(TorvikctlGpuTest, SettingARegulatorWritesAndReadsBack) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-x58 --yes gpu set 1 nvvdd 1.0125");
  ASSERT_EQ(r.status, 0) << r.out;
  ExpectHas(r, "NV VDD (3D): 1.01250 V");
  CmdResult fb = Torvikctl("--machine emulated:brenmor-x58 --yes gpu set 0 fbvdd 1.8");
  ASSERT_EQ(fb.status, 0) << fb.out;
  // 1.8 V lies half way between two steps of 10 mV: the upper one is set.
  ExpectHas(fb, "FB VDD: 1.80500 V");
}

TEST(TorvikctlGpuTest, RefusalsAndBadArguments) {
  struct Case {
    const char* args;
    int status;
    const char* says;
  } cases[] = {
      {"--machine emulated:brenmor-x58 gpu set 0 nvvdd 1.0", 1, "needs --yes"},
      {"--machine emulated:brenmor-x58 --yes gpu set 0 nvvdd 1.31", 1, "outside 0.95000 .. 1.30000 V"},
      {"--machine emulated:brenmor-x58 --yes gpu set 2 nvvdd 1.0", 1, "no display adapter 2"},
      {"--machine emulated:brenmor-p55 --yes gpu set 0 nvvdd 1.0", 1, "has no NV VDD (3D) regulator"},
      {"--machine emulated:brenmor-p55 --yes gpu set 0 core 700", 1, "no backend of NVIDIA GeForce GTX 285"},
      {"--machine emulated:brenmor-p55 --yes gpu set 0 core 2000", 1, "outside 324 .. 1296 MHz"},
      {"--machine emulated:brenmor-x58 --yes gpu set 0 vgpu 1.1", 1, "reports no GPU voltage"},
      {"--machine emulated:brenmor-x58 --yes gpu set 0 vddq 1.0", 2, "usage: torvikctl gpu"},
      {"--machine emulated:brenmor-x58 --yes gpu set 0 nvvdd x", 2, "usage: torvikctl gpu"},
      {"--machine emulated:brenmor-x58 --yes gpu set 0 nvvdd 1.0 --level 1", 2, "usage: torvikctl gpu"},
      {"--machine emulated:brenmor-x58 gpu list", 2, "usage: torvikctl gpu"},
      {"--machine emulated:brenmor-x58 gpu report 0", 2, "usage: torvikctl gpu"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    CmdResult r = Torvikctl(c.args);
    EXPECT_EQ(r.status, c.status) << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
  }
}

}  // namespace
