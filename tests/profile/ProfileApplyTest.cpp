// Profiles on the emulated boards: a saved profile brings back the clock,
// the rails and the turbo settings after they were changed; a profile with
// any value the board cannot take, or from another version, writes nothing;
// another board's profile needs consent; unset ratio slots and an absent
// TURBO line behave as documented; on the dual-processor board each rail
// reaches its own processor's regulator.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emu/CpuModels.h"
#include "emu/EmulatedCpu.h"
#include "emu/chips/DumpTargets.h"
#include "emu/chips/F72262.h"
#include "emu/chips/Isl90727.h"
#include "emu/chips/Pca9545a.h"
#include "emu/chips/Vt1186m.h"
#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"
#include "profile/ProfileSlots.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/SdkStartup.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/TurboControl.h"
#include "sdk/voltage/CBoardControl.h"
#include "sdk/voltage/RailSettings.h"
#include "tests/support/EmulatedSdk.h"

namespace {

constexpr uint64_t kTurboDisengage = 1ull << 38;

// What the emulated machine holds that a profile may change: every
// register of the voltage controllers, the board's switch, the clocks the
// generator makes and processor 0's turbo registers.
struct Image {
  std::vector<int> regs;
  double bclk = 0, pcie = 0;
  uint64_t misc = 0, ratios = 0;
  bool operator==(const Image& o) const {
    return regs == o.regs && std::fabs(bclk - o.bclk) < 1e-3 && std::fabs(pcie - o.pcie) < 1e-3 && misc == o.misc &&
           ratios == o.ratios;
  }
};

std::ostream& operator<<(std::ostream& out, const Image& i) {
  return out << "bclk " << i.bclk << " pcie " << i.pcie << " misc 0x" << std::hex << i.misc << " ratios 0x"
             << i.ratios << std::dec << " (" << i.regs.size() << " controller registers)";
}

class ProfileBoard {
 public:
  explicit ProfileBoard(const std::string& board) : env(board) {
    char pattern[] = "/tmp/torvik-profiles-XXXXXX";
    EXPECT_NE(mkdtemp(pattern), nullptr);
    config = pattern;
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    uint32_t error = 0;
    EXPECT_TRUE(env.driver.Open("/tmp", &error, true));
    QUARNSDK::GetInstance()->SetDriver(&env.driver);
    CreateSdkInterfaces(env.Sdk(), env.driver);
    control = CBoardControl::Of(env.Sdk());
  }
  ~ProfileBoard() {
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(config);
  }

  Image Snapshot() {
    Image i;
    for (const std::string& name : emu::DumpTargetNames(*env.machine)) {
      std::shared_ptr<void> chip = emu::FindDumpTarget(*env.machine, name);
      if (name.rfind("vt1186m", 0) == 0)
        for (int r = 0; r < 256; ++r) i.regs.push_back(std::static_pointer_cast<emu::Vt1186m>(chip)->Get(r));
      else if (name.rfind("f72262", 0) == 0)
        for (int r = 0; r < 256; ++r) i.regs.push_back(std::static_pointer_cast<emu::F72262>(chip)->Get(r));
      else if (name.rfind("pca9545a", 0) == 0)
        i.regs.push_back(std::static_pointer_cast<emu::Pca9545a>(chip)->Control());
      else if (name.rfind("isl90727", 0) == 0)
        i.regs.push_back(std::static_pointer_cast<emu::Isl90727>(chip)->Wiper());
    }
    i.bclk = env.machine->BclkMHz();
    i.pcie = env.machine->PcieMHz();
    env.machine->Cpus()[0]->ReadMsr(0x1A0, &i.misc);
    env.machine->Cpus()[0]->ReadMsr(0x1AD, &i.ratios);
    return i;
  }

  // The rail labelled `label` for `processor`, set to `volts`.
  void SetRail(int processor, const std::string& label, double volts) {
    HardwareLock lock(&env.Sdk(), &env.driver, 2000);
    ASSERT_TRUE(lock.Held());
    for (const rails::VisibleRail& r : rails::VisibleRails(*control, processor)) {
      if (r.label != label) continue;
      control->SelectProcessorRails(processor);
      control->Refresh();
      RailReading now;
      ASSERT_TRUE(control->ReadRow(r.controller, r.row, &now));
      int value = 0, flags = 0;
      rails::SettingOf(now.row, rails::EntryForVolts(now.row, volts), &value, &flags);
      std::string why;
      ASSERT_TRUE(control->WriteRow(r.controller, r.row, value, flags, &why)) << label << ": " << why;
      return;
    }
    FAIL() << "no rail " << label;
  }
  void SetBclk(float mhz) {
    HardwareLock lock(&env.Sdk(), &env.driver, 2000);
    ASSERT_TRUE(SetPLLFrequency(FindPLL(PLL_KIND_CPU), mhz, 10));
  }
  void SetTurbo(bool on, const TurboLimits& limits) {
    HardwareLock lock(&env.Sdk(), &env.driver, 2000);
    CProcessor* p = static_cast<CCPUInterface*>(env.Sdk().FindInterface(INTERFACE_CPU))->GetProcessor(0);
    ASSERT_TRUE(WriteTurboSwitch(p, on));
    ASSERT_TRUE(WriteTurboLimits(p, limits));
  }
  uint8_t Vcore(int processor) {
    const std::string name = processor < 0 ? "vt1186m@0x70" : "vt1186m@" + std::to_string(processor) + ":0x70";
    return std::static_pointer_cast<emu::Vt1186m>(emu::FindDumpTarget(*env.machine, name))->Get(emu::Vt1186m::kOutput);
  }

  ProfileOutcome Save(int n) { return SaveProfileNumber(n, env.Sdk(), env.driver); }
  ProfileOutcome Apply(int n, bool allowOtherBoard = false) {
    return ApplyProfileNumber(n, env.Sdk(), env.driver, allowOtherBoard);
  }
  // Profile n as the lines given.
  void Write(int n, const std::vector<std::string>& lines) {
    std::string error;
    ASSERT_TRUE(plat::MakeDirectories(ProfileDirectory(), &error)) << error;
    std::ofstream(ProfilePath(n), std::ios::binary) << plat::EncodeUtf16Lines(lines);
  }
  std::vector<std::string> Lines(int n) {
    std::ifstream in(ProfilePath(n), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return plat::DecodeUtf16Lines(s.str());
  }
  std::string Bytes(int n) {
    std::ifstream in(ProfilePath(n), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  testsupport::EmulatedSdk env;
  std::string config;
  CBoardControl* control = nullptr;
};

const std::vector<std::string> kHead = {"[Brenmor Torvik Tuning Utility]", "Version=1072"};

std::vector<std::string> With(std::vector<std::string> lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

TEST(ProfileApply, SavedProfileRestoresClockRailsAndTurboOnTheDualProcessorBoard) {
  ProfileBoard b("brenmor-5520dp");
  ASSERT_TRUE(b.control);
  const Image saved = b.Snapshot();
  const ProfileOutcome s = b.Save(1);
  ASSERT_TRUE(s.Ok()) << s.message;
  EXPECT_EQ(b.Snapshot(), saved) << "saving wrote to the hardware";
  const std::vector<std::string> lines = b.Lines(1);
  for (const char* expected : {"BOARD_ID=0x4FC5613E", "VCO_0=133.333328", "VOLTAGE_10=1073741890",
                               "CPU1_VOLTAGE_10=1073741890", "TURBO=1", "XE_CORE_1X=23", "XE_CORE_6X=22"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;

  // A saved file reads back into the same bytes.
  CProfile loaded;
  ASSERT_EQ(LoadProfile(ProfilePath(1), loaded), 1);
  EXPECT_EQ(EncodeProfile(loaded), b.Bytes(1));

  b.SetBclk(140);
  b.SetRail(0, "CPU0 VCORE", 1.3);
  b.SetRail(1, "CPU1 VCORE", 1.1);
  b.SetRail(0, "CPU0 VTT", 1.3);
  TurboLimits other;
  for (int& r : other.ratio) r = 25;
  b.SetTurbo(false, other);
  ASSERT_FALSE(b.Snapshot() == saved);

  const ProfileOutcome o = b.Apply(1);
  ASSERT_TRUE(o.Ok()) << o.message;
  EXPECT_EQ(b.Snapshot(), saved);
  EXPECT_FALSE(o.report.changes.empty());
  // Applying it again finds everything in place and writes nothing.
  const ProfileOutcome again = b.Apply(1);
  EXPECT_TRUE(again.Ok()) << again.message;
  EXPECT_TRUE(again.report.changes.empty());
}

TEST(ProfileApply, OutOfRangeOrMalformedProfilesWriteNothing) {
  ProfileBoard b("brenmor-5520dp");
  ASSERT_TRUE(b.Save(1).Ok());
  const std::vector<std::string> good = b.Lines(1);
  // Every case below would otherwise change the clock and a rail.
  b.SetBclk(140);
  b.SetRail(0, "CPU0 VCORE", 1.3);
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    ProfileOutcome::Status status;
  } cases[] = {
      {"clock above the generator's range", With(good, {"VCO_0=900.000000"}), ProfileOutcome::Status::Refused},
      {"clock that is no number", With(good, {"VCO_0=inf"}), ProfileOutcome::Status::Refused},
      {"rail above its row", With(good, {"VOLTAGE_10=500"}), ProfileOutcome::Status::Refused},
      {"rail beyond its steps below", With(good, {"CPU1_VOLTAGE_10=1073741952"}), ProfileOutcome::Status::Refused},
      {"negative rail setting", With(good, {"VOLTAGE_20=-5"}), ProfileOutcome::Status::Refused},
      {"turbo ratio out of range", With(good, {"XE_CORE_1X=200"}), ProfileOutcome::Status::Refused},
      {"turbo ratio zero", With(good, {"XE_CORE_3X=0"}), ProfileOutcome::Status::Refused},
      {"other version", With({good[0], "Version=1071"}, {good.begin() + 2, good.end()}),
       ProfileOutcome::Status::Rejected},
      {"no header", With({"[Other]"}, {good.begin() + 1, good.end()}), ProfileOutcome::Status::Rejected},
  };
  for (const Case& c : cases) {
    b.Write(2, c.lines);
    const Image before = b.Snapshot();
    const ProfileOutcome o = b.Apply(2);
    EXPECT_EQ(o.status, c.status) << c.name << ": " << o.message;
    EXPECT_FALSE(o.message.empty()) << c.name;
    EXPECT_EQ(b.Snapshot(), before) << c.name;
  }
  EXPECT_EQ(b.Apply(3).status, ProfileOutcome::Status::Missing);
}

TEST(ProfileApply, TurboSwitchAndUnsetRatioSlots) {
  ProfileBoard b("brenmor-5520dp");
  TurboLimits original;
  const int ratios[6] = {23, 23, 22, 22, 22, 22};
  std::copy(ratios, ratios + 6, original.ratio);
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    bool turboBefore;
    bool turboAfter;
    uint64_t ratiosAfter;
  } cases[] = {
      {"no TURBO line turns turbo on", kHead, false, true, 0x161616161717},
      {"TURBO=5 is on", With(kHead, {"TURBO=5"}), false, true, 0x161616161717},
      {"TURBO=0 turns it off", With(kHead, {"TURBO=0"}), true, false, 0x161616161717},
      {"one ratio set, the others keep the register", With(kHead, {"XE_CORE_1X=25"}), true, true, 0x161616161719},
      {"all six ratios", With(kHead, {"XE_CORE_1X=30", "XE_CORE_2X=29", "XE_CORE_3X=28", "XE_CORE_4X=27",
                                      "XE_CORE_5X=26", "XE_CORE_6X=25"}),
       true, true, 0x191A1B1C1D1E},
  };
  for (const Case& c : cases) {
    b.SetTurbo(c.turboBefore, original);
    uint64_t miscBefore = 0;
    b.env.machine->Cpus()[0]->ReadMsr(0x1A0, &miscBefore);
    b.Write(1, c.lines);
    const ProfileOutcome o = b.Apply(1);
    ASSERT_TRUE(o.Ok()) << c.name << ": " << o.message;
    const Image after = b.Snapshot();
    EXPECT_EQ((after.misc & kTurboDisengage) == 0, c.turboAfter) << c.name;
    EXPECT_EQ(after.misc & ~kTurboDisengage, miscBefore & ~kTurboDisengage) << c.name << ": other bits changed";
    EXPECT_EQ(after.ratios, c.ratiosAfter) << c.name;
  }
}

TEST(ProfileApply, RailBelowItsBaseIsSavedWithTheDirectionFlag) {
  ProfileBoard b("brenmor-5520dp");
  // VCORE's settings all lie below its 1.6125 V base: 3 steps is 1.59375 V.
  b.SetRail(0, "CPU0 VCORE", 1.59375);
  ASSERT_EQ(b.Vcore(0), 3);
  ASSERT_TRUE(b.Save(1).Ok());
  const std::vector<std::string> lines = b.Lines(1);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "VOLTAGE_10=1073741827"), lines.end());
  b.SetRail(0, "CPU0 VCORE", 1.2);
  ASSERT_TRUE(b.Apply(1).Ok());
  EXPECT_EQ(b.Vcore(0), 3);
  EXPECT_EQ(b.Vcore(1), 66);
}

TEST(ProfileApply, EachRailReachesItsOwnProcessorsRegulator) {
  ProfileBoard b("brenmor-5520dp");
  // The switch was left on the second processor's branch.
  {
    HardwareLock lock(&b.env.Sdk(), &b.env.driver, 2000);
    ASSERT_TRUE(b.control->SelectProcessorRails(1));
  }
  b.Write(1, With(kHead, {"VOLTAGE_10=1073741894", "CPU1_VOLTAGE_10=1073741904"}));
  const ProfileOutcome o = b.Apply(1);
  ASSERT_TRUE(o.Ok()) << o.message;
  EXPECT_EQ(b.Vcore(0), 70);
  EXPECT_EQ(b.Vcore(1), 80);
}

TEST(ProfileApply, AnotherBoardsProfileNeedsConsent) {
  ProfileBoard b("brenmor-5520dp");
  b.Write(1, With(kHead, {"BOARD_ID=0x031CC94C", "VCO_0=140.000000"}));
  const Image before = b.Snapshot();
  const ProfileOutcome refused = b.Apply(1);
  EXPECT_EQ(refused.status, ProfileOutcome::Status::OtherBoard);
  EXPECT_EQ(refused.profileBoard, 0x031CC94C);
  EXPECT_EQ(refused.thisBoard, 0x4FC5613E);
  EXPECT_EQ(b.Snapshot(), before);
  const ProfileOutcome applied = b.Apply(1, true);
  ASSERT_TRUE(applied.Ok()) << applied.message;
  EXPECT_NEAR(b.env.machine->BclkMHz(), 140, 0.5);
}

TEST(ProfileApply, TwoControllerProfileOnAOneControllerBoardSetsOnlyWhatExists) {
  ProfileBoard b("brenmor-p45");
  ASSERT_TRUE(b.control);
  ASSERT_EQ(b.control->ControllerCount(), 1);
  // Controller 0 row 0 is VCORE; index 1 is no row here, and 10 and 20
  // belong to controllers this board does not have: they are not checked
  // against anything and not written.
  b.Write(1, With(kHead, {"VOLTAGE_0=1073741894", "VOLTAGE_1=5", "VOLTAGE_10=999", "VOLTAGE_20=1073741827"}));
  const ProfileOutcome o = b.Apply(1);
  ASSERT_TRUE(o.Ok()) << o.message;
  EXPECT_EQ(b.Vcore(-1), 70);
  EXPECT_EQ(o.report.changes.size(), 1u);
}

}  // namespace

namespace {

TEST(ProfileApply, SandyBridgeRatioRegisterKeepsItsOtherBitsAndStaysUnlocked) {
  ProfileBoard b("brenmor-z68");
  const uint64_t address = emu::SandyBridgeI7_2600K().mchbar + 0x5990;
  auto reg = [&] {
    uint32_t v = 0;
    EXPECT_TRUE(b.env.machine->PhysicalRead(address, &v, 4));
    return v;
  };
  const uint32_t before = reg();
  ASSERT_EQ(before & 0x80000000u, 0u);
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    uint32_t expected;
  } cases[] = {
      {"no ratio lines", kHead, before},
      {"the one ratio", With(kHead, {"XE_CORE_1X=40", "XE_CORE_2X=40", "XE_CORE_3X=40", "XE_CORE_4X=40",
                                     "XE_CORE_5X=40", "XE_CORE_6X=40"}),
       (before & ~0xFFu) | 40},
      // Another processor's limits: only the first slot counts here.
      {"only the first slot is used", With(kHead, {"XE_CORE_1X=38", "XE_CORE_2X=99"}), (before & ~0xFFu) | 38},
  };
  for (const Case& c : cases) {
    b.Write(1, c.lines);
    const ProfileOutcome o = b.Apply(1);
    ASSERT_TRUE(o.Ok()) << c.name << ": " << o.message;
    EXPECT_EQ(reg(), c.expected) << c.name;
  }
}

}  // namespace

namespace {

// A graphics card's clock in the facade's list behind the board's
// generators: its calls are counted.
class GraphicsClock : public CPLL {
 public:
  explicit GraphicsClock(int* calls) : CPLL(0x10DE), calls_(calls) {
    kind = PLL_KIND_GPU_CORE;
    frequency = 600.0f;
    minimum = 300.0f;
    maximum = 900.0f;
  }
  int Read() override { return ++*calls_, 1; }
  int SetFrequency(float) override { return ++*calls_, 1; }
  int Apply() override { return ++*calls_, 1; }

 private:
  int* calls_;
};

TEST(ProfileApply, GraphicsClocksAreNeverPartOfAProfile) {
  ProfileBoard b("brenmor-5520dp");
  int calls = 0;
  b.env.Sdk().AddPLL(new GraphicsClock(&calls));
  ASSERT_EQ(b.env.Sdk().GetPLLs()->count, 4);
  ASSERT_TRUE(b.Save(1).Ok());
  std::vector<std::string> lines = b.Lines(1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("VCO_", 0) == 0; }), 3);
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "VCO_3=600.000000"), lines.end());
  // A VCO_3 from a board with four generators finds none here.
  lines.push_back("VCO_3=700.000000");
  b.Write(2, lines);
  const ProfileOutcome o = b.Apply(2);
  ASSERT_TRUE(o.Ok()) << o.message;
  EXPECT_EQ(calls, 0);
}

}  // namespace
