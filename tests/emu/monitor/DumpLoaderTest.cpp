#include <gtest/gtest.h>

#include <string>

#include "emu/DumpLoader.h"

namespace {

constexpr const char* kHeader = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";

TEST(DumpLoader, ReadsWhatTheToolsPrint) {
  emu::RegisterDump d;
  std::string err;
  ASSERT_TRUE(emu::LoadRegisterDumpFile(std::string(MONITOR_FIXTURES) + "/f71882f_ioh.isadump", &d, &err)) << err;
  EXPECT_EQ(d.values[0x20], 0xCE);
  EXPECT_EQ(d.values[0xA1], 0x2A);
  EXPECT_EQ(d.values[0xFF], 0x00);
  // i2cdump: ascii column (with spaces) after the bytes; rows left out stay -1.
  std::string i2c = std::string("No size specified (using byte-data access)\n") +
                    "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n" +
                    "f0: 00 00 00 00 00 00 00 00 00 00 00 00 00 50 c3 21    ............. P?!\r\n";
  ASSERT_TRUE(emu::ParseRegisterDump(i2c, &d, &err)) << err;
  EXPECT_EQ(d.values[0xFD], 0x50);
  EXPECT_EQ(d.values[0xFF], 0x21);
  EXPECT_EQ(d.values[0x00], -1);
  // A tool's own layout: "Chip ID:" lines, a "00 01 .. 0F" header, rows
  // without a colon.
  ASSERT_TRUE(emu::LoadRegisterDumpFile(std::string(MONITOR_FIXTURES) + "/hwmon/it8720f-hwmon.dump", &d, &err)) << err;
  EXPECT_EQ(d.values[0x00], 0x19);
  EXPECT_EQ(d.values[0x0B], 0x0F);
  EXPECT_EQ(d.values[0xA0], 0xFF);
  EXPECT_EQ(d.values[0xB0], -1);
  // Rows with no header at all; a header line before rows ("isadump ...:").
  ASSERT_TRUE(emu::ParseRegisterDump("00: 19 16 FF 00 00 00 00 00 00 80 64 CD 07 B7 FF FF\n", &d, &err)) << err;
  EXPECT_EQ(d.values[0x0D], 0xB7);
  ASSERT_TRUE(emu::LoadRegisterDumpFile(std::string(MONITOR_FIXTURES) + "/hwmon/w83627thf.dump", &d, &err)) << err;
  EXPECT_EQ(d.values[0x58], 0x90);
}

TEST(DumpLoader, MalformedDumpsNameTheLine) {
  const std::string row00 = "00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n";
  struct Case {
    const char* name;
    std::string text;
    const char* error;
  } cases[] = {
      {"nothing", "hello\n", "no register rows"},
      {"header only", kHeader, "no register rows after the header"},
      {"bad label", std::string(kHeader) + "0x: 00\n", "line 2: expected a row label"},
      {"text after the rows", std::string(kHeader) + row00 + "done.\n", "line 3: expected a row label"},
      {"label not row start", std::string(kHeader) + "05: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
       "line 2: row label 05: is not a multiple"},
      {"truncated row", std::string(kHeader) + row00 + "10: 00 11\n", "line 3: row 10: has 2 byte fields, not 16"},
      {"seventeen fields", std::string(kHeader) + "00: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
       "line 2: row 00: has 17 byte fields"},
      {"row twice", std::string(kHeader) + row00 + "\n" + row00, "line 4: row 00: appears twice (first on line 2)"},
      {"not read", std::string(kHeader) + "20: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 XX\n",
       "line 2: register 0x2F was not read"},
      {"not read (isadump)", std::string(kHeader) + "20: -- 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n",
       "line 2: register 0x20 was not read"},
      {"bad byte", std::string(kHeader) + "20: 00 00 00 0g 00 00 00 00 00 00 00 00 00 00 00 00\n",
       "line 2: byte field 3 is \"0g\""},
  };
  for (const auto& c : cases) {
    emu::RegisterDump d;
    std::string err;
    EXPECT_FALSE(emu::ParseRegisterDump(c.text, &d, &err)) << c.name;
    EXPECT_NE(err.find(c.error), std::string::npos) << c.name << ": " << err;
  }
  // A real dump cut short inside a field; the path is named once.
  std::string path = std::string(MONITOR_FIXTURES) + "/hwmon/it8786e-hwmon.dump";
  std::string err;
  emu::RegisterDump d;
  EXPECT_FALSE(emu::LoadRegisterDumpFile(path, &d, &err));
  EXPECT_EQ(err, path + ": line 4: byte field 15 is \"6\", not two hex digits");
  EXPECT_FALSE(emu::LoadRegisterDumpFile("/nonexistent/dump.txt", &d, &err));
  EXPECT_EQ(err, "/nonexistent/dump.txt: No such file or directory");
}

}  // namespace
