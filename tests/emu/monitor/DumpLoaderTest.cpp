#include <gtest/gtest.h>

#include <string>

#include "emu/DumpLoader.h"

namespace {

constexpr const char* kHeader = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";

TEST(DumpLoader, ReadsIsadumpAndI2cdumpRows) {
  emu::RegisterDump d;
  std::string err;
  ASSERT_TRUE(emu::LoadRegisterDumpFile(std::string(MONITOR_FIXTURES) + "/f71882f_ioh.isadump", &d, &err)) << err;
  EXPECT_EQ(d.values[0x20], 0xCE);
  EXPECT_EQ(d.values[0xA1], 0x2A);
  EXPECT_EQ(d.values[0xFF], 0x00);
  // i2cdump: ascii column (with spaces) after the bytes, XX for failed reads.
  std::string i2c = std::string("No size specified (using byte-data access)\n") +
                    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n" +
                    "f0: 00 00 00 00 00 00 00 00 00 00 00 00 00 50 c3 XX    ............. P?.\r\n";
  ASSERT_TRUE(emu::ParseRegisterDump(i2c, &d, &err)) << err;
  EXPECT_EQ(d.values[0xFD], 0x50);
  EXPECT_EQ(d.values[0xFE], 0xC3);
  EXPECT_EQ(d.values[0xFF], -1);
  EXPECT_EQ(d.values[0x00], -1);
}

TEST(DumpLoader, MalformedDumpsNameTheLine) {
  struct Case {
    const char* name;
    std::string text;
    const char* error;
  } cases[] = {
      {"no header", "00: 00 00\n", "line 2: no column header"},
      {"header only", kHeader, "no register rows"},
      {"bad label", std::string(kHeader) + "0x: 00\n", "line 2: expected a row label"},
      {"label not row start", std::string(kHeader) + "05: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
       "line 2: row label 05: is not a multiple"},
      {"short row", std::string(kHeader) + "00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n10: 00 11\n",
       "line 3: row 10: has 2 byte fields"},
      {"bad byte", std::string(kHeader) + "20: 00 00 00 0g 00 00 00 00 00 00 00 00 00 00 00 00\n",
       "line 2: byte field 3 is \"0g\""},
  };
  for (const auto& c : cases) {
    emu::RegisterDump d;
    std::string err;
    EXPECT_FALSE(emu::ParseRegisterDump(c.text, &d, &err)) << c.name;
    EXPECT_NE(err.find(c.error), std::string::npos) << c.name << ": " << err;
  }
  std::string err;
  emu::RegisterDump d;
  EXPECT_FALSE(emu::LoadRegisterDumpFile("/nonexistent/dump.txt", &d, &err));
  EXPECT_EQ(err, "/nonexistent/dump.txt: No such file or directory");
}

}  // namespace
