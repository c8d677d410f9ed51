// Every emulated board: its product string hashes to its board id, its
// vendor group agrees with the SDK's board tables, the vendor groups are all
// present, and start-up on the board finds the
// identity from SMBIOS and the chipset on the PCI bus.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "emu/BoardDescription.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "boardid/BoardHash.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/StartupBoardIdentity.h"
#include "sdk/monitor/BoardTables.h"
#include "tests/support/EmulatedSdk.h"

namespace {

TEST(BoardCatalogue, ProductsHashToTheBoardIdsAndEveryGroupIsThere) {
  std::set<std::string> groups, names;
  for (const auto* b : emu::Boards()) {
    EXPECT_EQ(sdk::BoardHash(b->product), b->boardId) << b->name;
    EXPECT_TRUE(names.insert(b->name).second) << "duplicate board name " << b->name;
    groups.insert(b->group);
    // The board's group is what the SDK's board tables make of its id.
    const char* sdkGroup = VendorBoardGroup(static_cast<int32_t>(b->boardId));
    EXPECT_STREQ(sdkGroup ? sdkGroup : "other", b->group) << b->name;
  }
  for (const char* g : {"NB", "PCH-VTT", "PCH-VCCIO", "VSA", "IOH", "DP", "other"})
    EXPECT_TRUE(groups.count(g)) << "no emulated board of group " << g;
}

struct BoardExpectation {
  const char* board;
  bool mmconfig;        // the chipset has an enhanced configuration base the SDK finds
  int uncoreFunctions;  // functions of the processor's uncore on buses 0xFE/0xFF
};

class EmulatedBoard : public ::testing::TestWithParam<BoardExpectation> {};

TEST_P(EmulatedBoard, IdentityFromSmbiosAndChipsetOnThePciBus) {
  const BoardExpectation& e = GetParam();
  const emu::BoardDescription* desc = emu::FindBoard(e.board);
  ASSERT_NE(desc, nullptr);
  testsupport::EmulatedSdk env(e.board);
  ASSERT_TRUE(env.Start());
  QUARNSDK& sdk = env.Sdk();

  BoardIdentity id = IdentifyBoard(sdk, sdk.CreateDMIInterface() != 0);
  EXPECT_EQ(static_cast<uint32_t>(id.boardHash), desc->boardId);
  EXPECT_EQ(id.boardSum, sdk::BoardSum(desc->product));
  EXPECT_EQ(std::string(id.name), std::string(desc->maker) + " " + desc->product);

  ASSERT_TRUE(sdk.CreatePCIInterface());
  ScanPciBus(sdk);
  auto* pci = static_cast<CPCIInterface*>(sdk.FindInterface(INTERFACE_PCI));
  CPCIDevice* host = pci->FindPCIDevice(0, 0, 0);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->commonHeader->classCode, 0x06);
  EXPECT_EQ(host->commonHeader->subclass, 0x00);
  CTList<CPCIDevice> list;
  EXPECT_EQ(pci->FindPCIDevicesByClass(0x0C, 0x05, &list), 1) << "one SMBus controller";
  EXPECT_EQ(pci->FindPCIDevicesByClass(0x06, 0x01, &list), 1) << "one LPC bridge";
  EXPECT_EQ(list.At(0)->bus, 0);
  EXPECT_EQ(list.At(0)->device, 0x1F);
  EXPECT_EQ(pci->GetPCIExpressSpace() != nullptr, e.mmconfig);
  int uncore = 0;
  for (CDevice* d : Items(sdk.GetDevices()))
    if ((d->type & DEVICE_PCI) && static_cast<CPCIDevice*>(d)->bus >= 0xFE) ++uncore;
  EXPECT_EQ(uncore, e.uncoreFunctions);
  if (e.mmconfig) {
    CTList<CPCIDevice> bridges;
    ASSERT_GE(pci->FindPCIDevicesByClass(0x06, 0x04, &bridges), 1);
    EXPECT_GT(bridges.At(0)->extendedCapabilities->count, 0) << "extended capabilities through MMCONFIG";
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EmulatedBoard,
                         // Bloomfield: QPI, memory controller, its test function, three channels.
                         ::testing::Values(BoardExpectation{"brenmor-x58", false, 7},
                                           BoardExpectation{"brenmor-p45", true, 0},
                                           BoardExpectation{"brenmor-p55", false, 7},  // two channels
                                           BoardExpectation{"brenmor-z68", true, 0},
                                           // memory, RAS, power control, eight channel functions
                                           BoardExpectation{"brenmor-x79", true, 12},
                                           BoardExpectation{"brenmor-5520dp", false, 14},
                                           BoardExpectation{"kestrel-x38", true, 0}),
                         [](const auto& info) {
                           std::string n = info.param.board;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

}  // namespace
