// Super I/O detection on the emulated boards and on a chip behind a port
// logger: what is found, and that nothing but keys, exits and the
// logical-device select is written.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "emu/EmulatedMachine.h"
#include "emu/chips/FintekF71882F.h"
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

}  // namespace
