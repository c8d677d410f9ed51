// The SMBIOS structure walk, string lookup and cleaning, the decoded records
// and the board identity that start-up derives from them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "boardid/BoardHash.h"
#include "sdk/core/StartupBoardIdentity.h"
#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/CDMIStructure.h"
#include "sdk/systables/DmiTable.h"
#include "tests/sdk/systables/dmi/SmbiosBytes.h"

namespace {

using testsupport::AppendBaseboard;
using testsupport::AppendProcessor;
using testsupport::AppendStructure;

// Decodes `table` from an allocation of exactly its size, so that the
// sanitizer sees any read past the end.
struct Decoded {
  explicit Decoded(const std::vector<uint8_t>& table) : bytes(table) {
    ok = dmi.LoadTable(bytes.data(), bytes.size());
  }
  template <typename T>
  T* Find(int type) {
    return static_cast<T*>(dmi.FindStructure(type));
  }
  std::vector<uint8_t> bytes;
  CDMIInterface dmi;
  int ok = 0;
};

TEST(DmiStrings, CleaningRules) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"  Board X  ", "Board X"},
      {"\"P8P67 PRO\"", "P8P67 PRO"},
      {"Rampage 'III' Extreme", "Rampage III Extreme"},
      {"' x '", " x "},  // blanks are trimmed before the quotes go
      {"    ", ""},
      {"", ""},
      {"NoChange", "NoChange"},
  };
  for (const auto& c : cases) {
    char text[600];
    std::snprintf(text, sizeof(text), "%s", c.in);
    dmi::CleanString(text);
    EXPECT_STREQ(text, c.out) << "'" << c.in << "'";
  }
  std::string huge = "  " + std::string(510, 'A') + "  ";
  char text[600];
  std::snprintf(text, sizeof(text), "%s", huge.c_str());
  dmi::CleanString(text);
  EXPECT_EQ(std::string(text), huge) << "512 characters or more stay as they are";
}

TEST(DmiStrings, LookupByNumber) {
  const uint8_t set[] = {'a', 0, 'b', 'c', 0, 0};
  size_t n = 0;
  EXPECT_EQ(dmi::FindString(set, set + sizeof(set), 0, &n), nullptr);
  const char* s = dmi::FindString(set, set + sizeof(set), 2, &n);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::string(s, n), "bc");
  EXPECT_EQ(dmi::FindString(set, set + sizeof(set), 3, &n), nullptr) << "past the last string";
  const uint8_t empty[] = {0, 0};
  EXPECT_EQ(dmi::FindString(empty, empty + 2, 1, &n), nullptr);
  const uint8_t unterminated[] = {'a', 'b', 'c'};
  EXPECT_EQ(dmi::FindString(unterminated, unterminated + 3, 1, &n), nullptr);
}

TEST(DmiDecode, BaseboardProductIsCleanedAndIdentifiesTheBoard) {
  std::vector<uint8_t> t;
  AppendBaseboard(t, 1, 2, {"Brenmor ", "  Board X  "});
  Decoded d(t);
  ASSERT_TRUE(d.ok);
  auto* board = d.Find<CDMI_Baseboard>(2);
  ASSERT_NE(board, nullptr);
  EXPECT_STREQ(board->product, "Board X");
  EXPECT_STREQ(board->manufacturer, "Brenmor");
  BoardIdentity id = BoardIdentityFromDmi(&d.dmi);
  EXPECT_STREQ(id.name, "Brenmor Board X");
  EXPECT_EQ(static_cast<uint32_t>(id.boardHash), sdk::BoardHash("Board X"));
  EXPECT_EQ(id.boardSum, sdk::BoardSum("Board X"));
}

TEST(DmiDecode, QuotesAreRemovedBeforeHashing) {
  std::vector<uint8_t> t;
  AppendBaseboard(t, 1, 2, {"Maker", "\"Torvik 'X58'\""});
  Decoded d(t);
  EXPECT_STREQ(d.Find<CDMI_Baseboard>(2)->product, "Torvik X58");
  EXPECT_EQ(static_cast<uint32_t>(BoardIdentityFromDmi(&d.dmi).boardHash), sdk::BoardHash("Torvik X58"));
}

TEST(DmiDecode, ProductNumberZeroNamesTheBoardMainboard) {
  std::vector<uint8_t> t;
  AppendBaseboard(t, 1, 0, {"Maker"});
  Decoded d(t);
  ASSERT_NE(d.Find<CDMI_Baseboard>(2), nullptr);
  EXPECT_STREQ(d.Find<CDMI_Baseboard>(2)->product, "");
  BoardIdentity id = BoardIdentityFromDmi(&d.dmi);
  EXPECT_STREQ(id.name, "Mainboard");
  EXPECT_EQ(id.boardHash, -1);
  EXPECT_EQ(id.boardSum, -1);
  EXPECT_STREQ(BoardIdentityFromDmi(nullptr).name, "Mainboard");
}

TEST(DmiDecode, FirstOfTwoBaseboardsWins) {
  std::vector<uint8_t> t;
  AppendBaseboard(t, 1, 2, {"Maker", "First"});
  AppendBaseboard(t, 1, 2, {"Maker", "Second"});
  Decoded d(t);
  EXPECT_EQ(d.dmi.structures->count, 2);
  EXPECT_STREQ(d.Find<CDMI_Baseboard>(2)->product, "First");
}

TEST(DmiDecode, ProcessorMultiplierRoundsToTheNearestHalf) {
  struct {
    uint16_t external, current;
    float multiplier;
  } cases[] = {{133, 3200, 24.0f}, {200, 3300, 16.5f}, {133, 2666, 20.0f}, {100, 3450, 34.5f},
               {0, 3200, -1.0f},   {133, 0, -1.0f}};
  for (const auto& c : cases) {
    std::vector<uint8_t> t;
    AppendProcessor(t, c.external, c.current);
    Decoded d(t);
    auto* cpu = d.Find<CDMI_Processor>(4);
    ASSERT_NE(cpu, nullptr);
    EXPECT_FLOAT_EQ(cpu->multiplier, c.multiplier) << c.external << " / " << c.current;
    EXPECT_STREQ(cpu->version, "Intel(R) Core(TM) i7 CPU 920");
    EXPECT_EQ(cpu->family, 0xC6);
  }
}

TEST(DmiDecode, MemoryStructures) {
  std::vector<uint8_t> t;
  // Type 16: board, system memory, no ECC, 16 GB (in KB), 4 devices.
  AppendStructure(t, 16, {3, 3, 3, 0x00, 0x00, 0x00, 0x01, 0xFE, 0xFF, 4, 0}, {});
  // Type 17: widths 64/64, 2048 MB, DIMM, "DIMM_A1", DDR3.
  AppendStructure(t, 17, {0, 0, 0xFE, 0xFF, 64, 0, 64, 0, 0x00, 0x08, 9, 0, 1, 0, 0x18}, {"DIMM_A1"});
  // Type 17: size in KB (bit 15): 0x8000 | 512 KB is 0 MB; empty slot widths.
  AppendStructure(t, 17, {0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0x00, 0x82, 9, 0, 1, 0, 0x12}, {"DIMM_B1"});
  Decoded d(t);
  auto* array = d.Find<CDMI_PhysicalMemoryArray>(16);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(array->maxCapacityMB, 16384);
  EXPECT_EQ(array->deviceCount, 4);
  EXPECT_STREQ(array->location, "System board or motherboard");
  auto* dimm = d.Find<CDMI_MemoryDevice>(17);
  EXPECT_EQ(dimm->sizeMB, 2048);
  EXPECT_EQ(dimm->totalWidth, 64);
  EXPECT_STREQ(dimm->deviceLocator, "DIMM_A1");
  EXPECT_STREQ(dimm->memoryType, "DDR3");
  EXPECT_STREQ(dimm->formFactor, "DIMM");
  auto* second = static_cast<CDMI_MemoryDevice*>(d.dmi.structures->At(2));
  EXPECT_EQ(second->sizeMB, 0);
  EXPECT_EQ(second->totalWidth, -1);
  EXPECT_EQ(second->dataWidth, -1);
  EXPECT_STREQ(second->memoryType, "DDR");
}

TEST(DmiDecode, StructureSizes) {
  struct {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t size;
  } cases[] = {
      {"no strings", {1, 4, 0, 0, 0, 0, 9}, 6},
      {"two strings", {1, 4, 0, 0, 'a', 0, 'b', 0, 0, 9}, 9},
      {"type 5 without an empty set has none", {5, 4, 0, 0, 'a', 0, 0}, 4},
      {"type 5 with an empty set", {5, 4, 0, 0, 0, 0}, 6},
      {"set runs to the table end", {1, 4, 0, 0, 'a', 'b'}, 6},
      {"formatted area past the end", {1, 9, 0, 0, 0}, 0},
      {"one byte left", {1}, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(dmi::StructureSize(c.bytes.data(), c.bytes.size()), c.size) << c.what;
}

TEST(DmiDecode, DamagedTablesEndTheWalkWithoutReadingPastTheEnd) {
  std::vector<uint8_t> good;
  AppendBaseboard(good, 1, 2, {"Maker", "Good"});

  {  // a structure whose formatted length runs past the table end
    std::vector<uint8_t> t = good;
    t.insert(t.end(), {4, 0x28, 0, 0, 1, 3});
    Decoded d(t);
    EXPECT_EQ(d.dmi.structures->count, 1);
    EXPECT_EQ(d.Find<CDMI_Processor>(4), nullptr);
  }
  {  // a string set that is never closed: the last string is unterminated
    std::vector<uint8_t> t = good;
    t.insert(t.end(), {2, 0x08, 0, 0, 1, 2, 0, 0, 'M', 0, 'P', 'r', 'o', 'd'});
    Decoded d(t);
    ASSERT_EQ(d.dmi.structures->count, 2);
    auto* second = static_cast<CDMI_Baseboard*>(d.dmi.structures->At(1));
    EXPECT_STREQ(second->manufacturer, "M");
    EXPECT_STREQ(second->product, "") << "an unterminated string is no string";
  }
  {  // a string field beyond the structure's own formatted length
    std::vector<uint8_t> t;
    AppendStructure(t, 2, {1}, {"Maker", "Product"});
    Decoded d(t);
    EXPECT_STREQ(d.Find<CDMI_Baseboard>(2)->manufacturer, "Maker");
    EXPECT_STREQ(d.Find<CDMI_Baseboard>(2)->product, "");
  }
  {  // a string number past the set
    std::vector<uint8_t> t;
    AppendBaseboard(t, 1, 7, {"Maker"});
    Decoded d(t);
    EXPECT_STREQ(d.Find<CDMI_Baseboard>(2)->product, "");
  }
}

TEST(DmiDecode, TablesLongerThanTheBufferAreCut) {
  std::vector<uint8_t> t;
  while (t.size() < 0x4100) AppendStructure(t, 0x80, std::vector<uint8_t>(60, 0), {"OEM"});
  int visited = dmi::WalkTable(t.data(), t.size(), [](const dmi::StructureView& s) {
    EXPECT_LE(s.bytes + s.size, s.bytes + 0x4000);
  });
  size_t per = 4 + 60 + 4 + 1;
  // 0x4000 % per is shorter than a formatted area: the cut structure ends the walk.
  EXPECT_EQ(static_cast<size_t>(visited), 0x4000 / per);
  Decoded d(t);
  EXPECT_TRUE(d.ok);
}

TEST(DmiBiosMaker, FirstMatchAtASixteenByteBoundary) {
  struct {
    std::vector<std::pair<size_t, std::string>> strings;
    const char* maker;
  } cases[] = {
      {{{0x40, "Phoenix"}, {0x20, "Award"}}, "Award Software International"},
      {{{0x30, "$ASUSAMI$"}}, "American Megatrends"},
      {{{0x30, "American Megatrends Inc."}}, "American Megatrends"},
      {{{0x31, "Phoenix"}}, ""},
      {{}, ""},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> image(0x100, 0);
    for (const auto& [at, text] : c.strings) std::memcpy(&image[at], text.data(), text.size());
    EXPECT_STREQ(CDMIInterface::FindBiosMaker(image.data(), image.size()), c.maker);
  }
  std::vector<uint8_t> edge(0x10, 0);
  std::memcpy(&edge[0], "Awar", 4);
  EXPECT_STREQ(CDMIInterface::FindBiosMaker(edge.data(), 4), "") << "a pattern cut by the image end";
}

TEST(DmiDump, EntryPointForms) {
  std::vector<uint8_t> table;
  AppendBaseboard(table, 1, 2, {"Maker", "Dumped"});
  auto put32 = [](std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
  };
  {  // legacy 2.x entry point
    std::vector<uint8_t> file(0x20, 0);
    std::memcpy(&file[0], "_SM_", 4);
    std::memcpy(&file[0x10], "_DMI_", 5);
    file[0x16] = static_cast<uint8_t>(table.size());
    put32(file, 0x18, 0x20);
    file.insert(file.end(), table.begin(), table.end());
    CDMIInterface dmi;
    ASSERT_TRUE(dmi.LoadDump(file.data(), file.size()));
    EXPECT_STREQ(static_cast<CDMI_Baseboard*>(dmi.FindStructure(2))->product, "Dumped");
  }
  {  // 3.x entry point, table length claims more than the file holds
    std::vector<uint8_t> file(0x20, 0);
    std::memcpy(&file[0], "_SM3_", 5);
    file[7] = 3;
    put32(file, 0x0C, 0x1000);
    put32(file, 0x10, 0x20);
    file.insert(file.end(), table.begin(), table.end());
    CDMIInterface dmi;
    ASSERT_TRUE(dmi.LoadDump(file.data(), file.size()));
    EXPECT_EQ(dmi.entry.tableLength, table.size());
  }
  {  // no entry point, or a table address outside the file
    std::vector<uint8_t> junk(0x40, 0x41);
    CDMIInterface dmi;
    EXPECT_FALSE(dmi.LoadDump(junk.data(), junk.size()));
    std::vector<uint8_t> file(0x20, 0);
    std::memcpy(&file[0], "_DMI_", 5);
    file[6] = 0x10;
    put32(file, 8, 0x100000);
    EXPECT_FALSE(dmi.LoadDump(file.data(), file.size()));
  }
}

}  // namespace
