#include <gtest/gtest.h>

#include "emu/BoardNameSearch.h"
#include "boardid/BoardHash.h"

namespace {

TEST(BoardNameSearchTest, FindsAPrintableProductForEveryVendorBoardId) {
  const uint32_t ids[] = {0x047853E0, 0x06A45470, 0x07785400, 0x087853F0, 0x68BEE680, 0x68BEE6AB, 0x8A2BB490,
                          0x938A7FD8, 0x980BF460, 0xD17DCDEC, 0xD17DCDF0, 0x031CC91C, 0x031CC924, 0x07C551D0,
                          0x0B469DC0, 0x0B469DD0, 0x0B469DF0, 0x5093A6F8, 0x549C53D2, 0x9F899DA0, 0xD1B3A250,
                          0xDEF0A6E8, 0xE4C8A25A, 0x031CC930, 0x031CC938, 0x031CC93C, 0x031CC944, 0x031CC94C,
                          0x031CC954, 0x07FCD4D0, 0x0AFCD4F0, 0x0AFCD510, 0x0AAB5410, 0x27F0AF90, 0x47F0AF90,
                          0x5A9428B4, 0x031CDB24, 0x4FC5613E, 0x00000000, 0xFFFFFFFF, 0x00000001, 0x80000000};
  for (const char* prefix : {"Torvik X58 ", "", "A very long product name prefix "}) {
    for (uint32_t id : ids) {
      auto product = emu::FindProductForBoardId(id, prefix);
      ASSERT_TRUE(product) << std::hex << id << " prefix '" << prefix << "'";
      EXPECT_EQ(sdk::BoardHash(*product), id);
      EXPECT_EQ(product->compare(0, std::string(prefix).size(), prefix), 0);
      for (char c : *product) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << *product;
    }
  }
}

}  // namespace
