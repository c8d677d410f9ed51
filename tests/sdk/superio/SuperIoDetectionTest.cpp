// Super I/O detection on the emulated boards and on a chip behind a port
// logger: what is found, and that nothing but keys, exits and the
// logical-device select is written.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "emu/EmulatedMachine.h"
#include "emu/chips/FintekF71882F.h"
#include "emu/chips/SuperIoChip.h"
#include "sdk/access/CConfigMode.h"
#include "sdk/access/CLPCIO.h"
#include "sdk/access/CLPCRegisterSpace.h"
#include "sdk/access/SuperIODetection.h"
#include "tests/support/EmulatedSdk.h"

namespace {

CLPCIO* OnPort(CTList<CLPCIO>& chips, uint16_t port) {
  for (CLPCIO* c : Items(&chips))
    if (c->configPort == port) return c;
  return nullptr;
}

TEST(SuperIoDetection, FintekChipsOnTheVendorBoards) {
  struct Case {
    const char* board;
    uint16_t port;
    int32_t chipCode;
    const char* name;
    int chips;
    uint16_t monitorBase;
  } cases[] = {
      {"brenmor-x58", 0x2E, 0x0541, "F71882F", 1, 0x0A00},
      {"brenmor-5520dp", 0x2E, 0x0541, "F71882F", 2, 0x0A00},
      {"brenmor-5520dp", 0x4E, 0x0901, "F71808E", 2, 0x0A20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.board) + " " + std::to_string(c.port));
    testsupport::EmulatedSdk env(c.board);
    ASSERT_TRUE(env.Start());
    CTList<CLPCIO> chips;
    EXPECT_EQ(DetectSuperIOChips(env.Sdk(), &chips), c.chips);
    CLPCIO* chip = OnPort(chips, c.port);
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->vendorCode, LPCIO_FINTEK);
    EXPECT_EQ(chip->chipCode, c.chipCode);
    EXPECT_EQ(chip->revision, -1) << "Fintek chips carry no revision register";
    EXPECT_STREQ(chip->vendorName, "Fintek");
    EXPECT_STREQ(chip->chipName, c.name);
    ASSERT_NE(chip->configMode, nullptr);
    EXPECT_EQ(chip->configMode->monitorDevice, 4);

    // The monitor block: logical device 4, reached at +5/+6.
    bool monitorListed = false;
    for (int i = 0; i < chip->logicalDeviceCount; ++i)
      if (chip->logicalDevices[i].ldn == 4) monitorListed = chip->logicalDevices[i].base == c.monitorBase;
    EXPECT_TRUE(monitorListed);
    auto* monitor = static_cast<CLPCRegisterSpace*>(chip->monitorSpaces[0]);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->GetBaseLow(), c.monitorBase);
    EXPECT_EQ(monitor->indexOffset, 5);
    EXPECT_EQ(monitor->dataOffset, 6);
    EXPECT_EQ(env.Sdk().FindRegisterSpace(0, c.monitorBase, REGSPACE_LPC), monitor) << "registered with the facade";

    // The chip is locked again: its data port reads all ones.
    uint8_t v = 0;
    env.driver.WritePort8(c.port, 0x20);
    env.driver.ReadPort8(c.port + 1, &v);
    EXPECT_EQ(v, 0xFF);

    // A second detection reports the same records.
    CTList<CLPCIO> again;
    EXPECT_EQ(DetectSuperIOChips(env.Sdk(), &again), c.chips);
    EXPECT_EQ(OnPort(again, c.port), chip);
    CTList<CDevice> devices;
    EXPECT_EQ(env.Sdk().FindDevices(DEVICE_LPCIO, &devices), c.chips);
  }
}

TEST(SuperIoDetection, NothingFoundOnEmptyPorts) {
  testsupport::EmulatedSdk env;
  ASSERT_TRUE(env.Start());
  CTList<CLPCIO> chips;
  EXPECT_EQ(DetectSuperIOChips(env.Sdk(), &chips), 0);
  CTList<CDevice> devices;
  EXPECT_EQ(env.Sdk().FindDevices(DEVICE_LPCIO, &devices), 0);
}

// Forwards to a chip and logs what is written to its data port, with the
// register index it went to.
class DataPortLogger : public emu::PortDevice {
 public:
  explicit DataPortLogger(std::shared_ptr<emu::SuperIoChip> c) : chip(std::move(c)) {}
  bool PortRead(uint16_t o, int w, uint32_t* v) override { return chip->PortRead(o, w, v); }
  bool PortWrite(uint16_t o, int w, uint32_t v) override {
    if (o == 0) index = static_cast<uint8_t>(v);
    else if (chip->Unlocked()) dataWrites.push_back(index);
    return chip->PortWrite(o, w, v);
  }
  std::shared_ptr<emu::SuperIoChip> chip;
  uint8_t index = 0;
  std::vector<uint8_t> dataWrites;
};

TEST(SuperIoDetection, WritesOnlyTheLogicalDeviceSelectAndPutsItBack) {
  testsupport::EmulatedSdk env;
  auto chip = std::make_shared<emu::FintekF71882F>();
  auto logger = std::make_shared<DataPortLogger>(chip);
  env.machine->AddPortDevice(0x2E, 2, logger);
  ASSERT_TRUE(env.Start());
  // Firmware left logical device 5 selected.
  for (uint8_t b : {0x87, 0x87, 0x07}) env.driver.WritePort8(0x2E, b);
  env.driver.WritePort8(0x2F, 0x05);
  env.driver.WritePort8(0x2E, 0xAA);
  logger->dataWrites.clear();

  CTList<CLPCIO> chips;
  ASSERT_EQ(DetectSuperIOChips(env.Sdk(), &chips), 1);
  ASSERT_FALSE(logger->dataWrites.empty());
  for (uint8_t reg : logger->dataWrites) EXPECT_EQ(reg, 0x07) << "a write to register " << int(reg);
  EXPECT_FALSE(chip->Unlocked());
  for (uint8_t b : {0x87, 0x87, 0x07}) env.driver.WritePort8(0x2E, b);
  uint8_t ldn = 0;
  env.driver.ReadPort8(0x2F, &ldn);
  EXPECT_EQ(ldn, 0x05);
}

struct ChipSpec {
  emu::SuperIoMaker maker;
  uint16_t port;
  uint8_t id20, id21;
  bool fintekIds;  // 0x23/0x24 = 0x19 0x34
  uint8_t ldn;     // the logical device holding the monitor block at 0x290
};

std::shared_ptr<emu::SuperIoChip> Install(testsupport::EmulatedSdk& env, const ChipSpec& c) {
  auto chip = std::make_shared<emu::SuperIoChip>(c.maker, c.port);
  chip->SetGlobal(0x20, c.id20);
  chip->SetGlobal(0x21, c.id21);
  if (c.fintekIds) {
    chip->SetGlobal(0x23, 0x19);
    chip->SetGlobal(0x24, 0x34);
  }
  chip->AddLogicalDevice(c.ldn, 0x0290, 0, true);
  env.machine->AddPortDevice(c.port, emu::SuperIoChip::kPorts, chip);
  return chip;
}

TEST(SuperIoDetection, EachMakersAcceptanceAndMonitorDevice) {
  using M = emu::SuperIoMaker;
  struct Case {
    const char* what;
    ChipSpec chip;
    int32_t vendor, chipCode;
    bool monitorFound;
  } cases[] = {
      {"ITE by any id, not only 0x87xx", {M::Ite, 0x2E, 0x55, 0x70, false, 0x04}, LPCIO_ITE, 0x5570, true},
      {"ITE under its 0x4E key", {M::Ite, 0x4E, 0x86, 0x28, false, 0x04}, LPCIO_ITE, 0x8628, true},
      {"SMSC ids outside 0x40-0x9F", {M::Smsc, 0x2E, 0x0A, 0x00, false, 0x08}, LPCIO_SMSC, 0x0A, true},
      {"National Semiconductor, always open", {M::NationalSemi, 0x2E, 0xE9, 0x00, false, 0x09}, LPCIO_NS, 0xE9, true},
      {"only the PC87366 has NS monitor spaces", {M::NationalSemi, 0x2E, 0xE1, 0x00, false, 0x09}, LPCIO_NS, 0xE1,
       false},
      {"Winbond", {M::Winbond, 0x2E, 0x88, 0x63, false, 0x0B}, LPCIO_WINBOND, 0x88, true},
      {"VIA behind the Winbond key", {M::Winbond, 0x2E, 0x3C, 0x01, false, 0x0B}, LPCIO_VIA, 0x3C, true},
      {"Fintek F8000: monitor in logical device 2", {M::Fintek, 0x2E, 0x05, 0x81, true, 0x02}, LPCIO_FINTEK, 0x0581,
       false},
      {"Fintek 0x0507: monitor in logical device 2", {M::Fintek, 0x2E, 0x05, 0x07, true, 0x02}, LPCIO_FINTEK, 0x0507,
       true},
      {"Fintek 0x0903 on 0x4E", {M::Fintek, 0x4E, 0x09, 0x03, true, 0x02}, LPCIO_FINTEK, 0x0903, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::EmulatedSdk env;
    auto chip = Install(env, c.chip);
    ASSERT_TRUE(env.Start());
    CTList<CLPCIO> chips;
    ASSERT_EQ(DetectSuperIOChips(env.Sdk(), &chips), 1);
    CLPCIO* found = OnPort(chips, c.chip.port);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->vendorCode, c.vendor);
    EXPECT_EQ(found->chipCode, c.chipCode);
    EXPECT_EQ(found->monitorSpaces[0] != nullptr, c.monitorFound);
    if (c.vendor == LPCIO_SMSC) {
      // Base 0x290 with the low 7 bits cleared; this chip's pair at +5/+6.
      auto* smsc = static_cast<CLPCRegisterSpace*>(found->monitorSpaces[0]);
      EXPECT_EQ(smsc->GetBaseLow(), 0x0280u);
      EXPECT_EQ(smsc->indexOffset, 5);
    }
    EXPECT_FALSE(chip->Unlocked() && c.chip.maker != M::NationalSemi);
  }
}

TEST(SuperIoDetection, AChipLeftInConfigurationModeIsLockedBeforeTheProbes) {
  // An ITE chip left open answers every register: read under the Winbond
  // key it would pass for a Winbond chip 0x87. The preliminary exit steps
  // lock it first, so only its own key opens it.
  for (emu::SuperIoMaker maker : {emu::SuperIoMaker::Ite, emu::SuperIoMaker::Winbond}) {
    const bool ite = maker == emu::SuperIoMaker::Ite;
    SCOPED_TRACE(ite ? "ITE" : "Winbond");
    testsupport::EmulatedSdk env;
    auto chip = Install(env, {maker, 0x2E, static_cast<uint8_t>(ite ? 0x87 : 0xA0), static_cast<uint8_t>(ite ? 0x18 : 0x25),
                              false, static_cast<uint8_t>(ite ? 0x04 : 0x0B)});
    auto logger = std::make_shared<DataPortLogger>(chip);
    env.machine->AddPortDevice(0x2E, 2, logger);
    ASSERT_TRUE(env.Start());
    const std::vector<uint8_t> key = ite ? std::vector<uint8_t>{0x87, 0x01, 0x55, 0x55} : std::vector<uint8_t>{0x87, 0x87};
    for (uint8_t b : key) env.driver.WritePort8(0x2E, b);
    ASSERT_TRUE(chip->Unlocked());
    CTList<CLPCIO> chips;
    ASSERT_EQ(DetectSuperIOChips(env.Sdk(), &chips), 1);
    CLPCIO* found = OnPort(chips, 0x2E);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->vendorCode, ite ? LPCIO_ITE : LPCIO_WINBOND);
    EXPECT_EQ(found->chipCode, ite ? 0x8718 : 0xA0);
    EXPECT_FALSE(chip->Unlocked());
    for (uint8_t reg : logger->dataWrites) EXPECT_TRUE(reg == 0x07 || reg == 0x02) << "register " << int(reg);
  }
}

TEST(SuperIoDetection, APortWhereNothingAnsweredKeepsNoSpace) {
  testsupport::EmulatedSdk env;
  ASSERT_TRUE(env.Start());
  EXPECT_EQ(DetectSuperIOChip(env.Sdk(), 0x2E), nullptr);
  EXPECT_EQ(env.Sdk().FindRegisterSpace(0, 0x2E, REGSPACE_LPC), nullptr);
  // A Winbond chip on 0x4E: the Fintek-only probe of the second port finds nothing.
  Install(env, {emu::SuperIoMaker::Winbond, 0x4E, 0xA0, 0x25, false, 0x0B});
  EXPECT_EQ(DetectSuperIOChip(env.Sdk(), 0x4E, true), nullptr);
  EXPECT_EQ(env.Sdk().FindRegisterSpace(0, 0x4E, REGSPACE_LPC), nullptr);
  EXPECT_NE(DetectSuperIOChip(env.Sdk(), 0x4E), nullptr);
}

}  // namespace
