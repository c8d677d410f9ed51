// torvikctl spd and memory on the emulated boards, spd --from-dump on
// saved images in every format it reads, refused dumps, and the decoded
// modules against decode-dimms (i2c-tools) on the same bytes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/JsonCheck.h"
#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl(args); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/torvik-spd-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf " + path_).c_str()); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The modules of `board` as `spd --hex` prints them: one i2cdump block each.
std::vector<std::string> HexBlocks(const std::string& board) {
  CmdResult r = Torvikctl("--machine emulated:" + board + " spd --hex");
  EXPECT_EQ(r.status, 0) << r.out;
  std::vector<std::string> blocks;
  std::istringstream in(r.out);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("# memory module", 0) == 0) blocks.emplace_back();
    if (!blocks.empty() && !line.empty()) blocks.back() += line + "\n";
  }
  return blocks;
}

// The bytes of an i2cdump block.
std::string Bytes(const std::string& block) {
  std::string out;
  std::istringstream in(block);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 4 || line[2] != ':') continue;
    std::istringstream row(line.substr(3));
    unsigned v;
    while (row >> std::hex >> v) out.push_back(static_cast<char>(v));
  }
  return out;
}

// "Key   value" lines of decode-dimms; the first value of each key.
std::map<std::string, std::string> DecodeDimms(const std::string& file) {
  std::map<std::string, std::string> fields;
  FILE* p = popen(("decode-dimms -x " + file + " 2>/dev/null").c_str(), "r");
  if (!p) return fields;
  char buf[512];
  const std::regex kv("^(\\S.*?)\\s{2,}(\\S.*?)\\s*$");
  while (fgets(buf, sizeof(buf), p)) {
    std::smatch m;
    std::string line(buf);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (std::regex_match(line, m, kv) && !fields.count(m[1])) fields[m[1]] = m[2];
  }
  pclose(p);
  return fields;
}

// A JSON member's text (string or number) in torvikctl's flat output.
std::string Member(const std::string& json, const std::string& key) {
  std::smatch m;
  if (std::regex_search(json, m, std::regex("\"" + key + "\":(\"([^\"]*)\"|[-0-9.]+|null)")))
    return m[2].matched ? m[2].str() : m[1].str();
  return "";
}

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

bool HaveDecodeDimms() { return std::system("command -v decode-dimms >/dev/null 2>&1") == 0; }

TEST(MemoryCli, EveryVendorBoardsModulesAgreeWithDecodeDimms) {
  if (!HaveDecodeDimms()) GTEST_SKIP() << "decode-dimms (i2c-tools) is not installed; scripts/deps installs it";
  TempDir dir;
  for (const char* board : {"brenmor-x58", "brenmor-p55", "brenmor-z68", "brenmor-p67", "brenmor-z77",
                            "brenmor-x79", "brenmor-p45", "brenmor-5520dp", "kestrel-x38"}) {
    SCOPED_TRACE(board);
    CmdResult live = Torvikctl(std::string("--machine emulated:") + board + " --json spd");
    ASSERT_EQ(live.status, 0) << live.out;
    EXPECT_EQ(testsupport::JsonCheck::Check(live.out), "") << live.out;
    const std::vector<std::string> blocks = HexBlocks(board);
    ASSERT_FALSE(blocks.empty());
    for (size_t i = 0; i < blocks.size(); ++i) {
      SCOPED_TRACE(i);
      const std::string file = dir.Write("module" + std::to_string(i) + ".txt", blocks[i]);
      CmdResult ours = Torvikctl("--json spd --from-dump " + file);
      ASSERT_EQ(ours.status, 0) << ours.out;
      auto dd = DecodeDimms(file);
      ASSERT_FALSE(dd.empty());
      const std::string type = Member(ours.out, "type");
      EXPECT_EQ(dd["Fundamental Memory type"], type + " SDRAM");
      EXPECT_EQ(dd["Size"], Member(ours.out, "sizeMB") + " MB");
      EXPECT_EQ(dd["Ranks"], Member(ours.out, "ranks"));
      // "1333 MT/s (PC3-10600)": decode-dimms names a module by the JEDEC
      // marketing figure (8 bytes x 1333 MT/s rounded down to 10600); the
      // rating here is 16 x 666.67 MHz rounded to the nearest hundred,
      // 10700. At 800, 1066 and 1600 MT/s both give the same number.
      const std::string speed = dd["Maximum module speed"];
      EXPECT_EQ(speed.substr(0, speed.find(' ')), Member(ours.out, "dataRate"));
      std::string name = Member(ours.out, "speed");
      if (!name.empty() && std::isalpha(static_cast<unsigned char>(name.back()))) name.pop_back();  // bin letter
      if (Member(ours.out, "dataRate") == "1333") name = "PC3-10600";
      EXPECT_TRUE(Has(speed, "(" + name + ")")) << speed << " vs " << name;
      const std::string timings = Member(ours.out, "cl") + "-" + Member(ours.out, "tRCDClocks") + "-" +
                                  Member(ours.out, "tRPClocks") + "-" + Member(ours.out, "tRASClocks");
      EXPECT_EQ(dd["tCL-tRCD-tRP-tRAS"].substr(0, timings.size()), timings);
      const std::string maker = dd.count("Module Manufacturer") ? dd["Module Manufacturer"] : dd["Manufacturer"];
      EXPECT_EQ(maker, Member(ours.out, "maker"));
      EXPECT_EQ(Trim(dd["Part Number"]), Trim(Member(ours.out, "partNumber")));
      EXPECT_EQ(dd["Assembly Serial Number"], "0x" + Member(ours.out, "serialNumber"));
      char date[16];
      std::snprintf(date, sizeof(date), "20%02d-W%02d", std::stoi(Member(ours.out, "year")),
                    std::stoi(Member(ours.out, "week")));
      EXPECT_EQ(dd["Manufacturing Date"], date);
      // The same module read live decodes to the same record.
      EXPECT_TRUE(Has(live.out, "\"serialNumber\":\"" + Member(ours.out, "serialNumber") + "\"")) << live.out;
    }
  }
}

TEST(MemoryCli, SpdListsModulesWithProfilesAndSensors) {
  CmdResult x58 = Torvikctl("--machine emulated:brenmor-x58 spd");
  ASSERT_EQ(x58.status, 0) << x58.out;
  EXPECT_TRUE(Has(x58.out, "Memory module 2 (SMBus 0x54): Corsair PC3-10700\n")) << x58.out;
  EXPECT_TRUE(Has(x58.out, "  Timings:         9-9-9-24 (CL-tRCD-tRP-tRAS at 667 MHz)\n")) << x58.out;
  EXPECT_TRUE(Has(x58.out, "  XMP 1.2 profile 1: PC3-12800H, 800 MHz, 1.65 V, 9-9-9-24, tRFC 160 ns\n")) << x58.out;
  EXPECT_TRUE(Has(x58.out, "  Temperature:     38.5 C\n")) << x58.out;
  EXPECT_TRUE(Has(x58.out, "Total: 6144 MB in 3 modules\n")) << x58.out;

  CmdResult p45 = Torvikctl("--machine emulated:brenmor-p45 --json spd");
  ASSERT_EQ(p45.status, 0) << p45.out;
  EXPECT_EQ(testsupport::JsonCheck::Check(p45.out), "") << p45.out;
  EXPECT_TRUE(Has(p45.out, "\"speed\":\"PC2-6400\"")) << p45.out;
  EXPECT_TRUE(Has(p45.out, "\"epp\":[{\"kind\":\"full\",\"voltage\":2.1,")) << p45.out;
  EXPECT_FALSE(Has(p45.out, "\"temperature\"")) << "DDR2 modules carry no sensor here";
}

TEST(MemoryCli, MemoryShowsTheControllersView) {
  CmdResult r = Torvikctl("--machine emulated:brenmor-x58 memory");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "North bridge 0:   Intel X58, revision 13 (00:00.0), host bridge\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "South bridge:     Intel 82801JR (ICH10R)")) << r.out;
  EXPECT_TRUE(Has(r.out, "Channels:         3\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "(FSB:DRAM 2:10)")) << r.out;
  EXPECT_TRUE(Has(r.out, "Timings:          9-9-9-24 (CL-tRCD-tRP-tRAS)\n")) << r.out;
  CmdResult j = Torvikctl("--machine emulated:brenmor-z68 --json memory");
  ASSERT_EQ(j.status, 0) << j.out;
  EXPECT_EQ(testsupport::JsonCheck::Check(j.out), "") << j.out;
  EXPECT_TRUE(Has(j.out, "\"memoryType\":\"DDR3\",\"channels\":2,")) << j.out;
  EXPECT_TRUE(Has(j.out, "\"ratioText\":\"1:12\"")) << j.out;
  EXPECT_TRUE(Has(j.out, "\"ecc\":null")) << "a desktop controller that reports no ECC state: " << j.out;
}

TEST(MemoryCli, FromDumpReadsEveryFormat) {
  TempDir dir;
  const std::string block = HexBlocks("brenmor-x58").at(0);
  const std::string bytes = Bytes(block);
  ASSERT_EQ(bytes.size(), 256u);
  // hexdump -C with a squeezed run of equal rows, and 16-bit words as
  // hexdump prints them.
  std::string canonical, words;
  for (size_t row = 0; row < 256; row += 16) {
    char b[80];
    const bool same = row >= 32 && bytes.compare(row, 16, bytes, row - 16, 16) == 0;
    const bool sameBefore = row >= 48 && bytes.compare(row - 16, 16, bytes, row - 32, 16) == 0;
    if (same && sameBefore) continue;
    if (same) {
      canonical += "*\n";
      continue;
    }
    std::snprintf(b, sizeof(b), "%08zx ", row);
    canonical += b;
    for (size_t k = 0; k < 16; ++k) {
      std::snprintf(b, sizeof(b), "%s %02x", k == 8 ? " " : "", static_cast<uint8_t>(bytes[row + k]));
      canonical += b;
    }
    canonical += "  |................|\n";
  }
  canonical += "00000100\n";
  for (size_t row = 0; row < 256; row += 16) {
    char b[16];
    std::snprintf(b, sizeof(b), "%07zx", row);
    words += b;
    for (size_t k = 0; k < 16; k += 2) {
      std::snprintf(b, sizeof(b), " %02x%02x", static_cast<uint8_t>(bytes[row + k + 1]),
                    static_cast<uint8_t>(bytes[row + k]));
      words += b;
    }
    words += "\n";
  }
  const std::string expected = Torvikctl("--json spd --from-dump " + dir.Write("i2cdump.txt", block)).out;
  ASSERT_TRUE(Has(expected, "\"speed\":\"PC3-10700\"")) << expected;
  for (const auto& [name, contents] : std::vector<std::pair<std::string, std::string>>{
           {"image.bin", bytes}, {"canonical.txt", canonical}, {"words.txt", words},
           {"image512.bin", bytes + std::string(256, '\xFF')}}) {
    CmdResult r = Torvikctl("--json spd --from-dump " + dir.Write(name, contents));
    EXPECT_EQ(r.status, 0) << name << ": " << r.out;
    EXPECT_EQ(r.out, expected) << name;
  }
  // A 128-byte DDR2 image: everything it needs is in its first half.
  const std::string ddr2 = Bytes(HexBlocks("brenmor-p45").at(0)).substr(0, 128);
  CmdResult half = Torvikctl("spd --from-dump " + dir.Write("ddr2.bin", ddr2));
  EXPECT_EQ(half.status, 0) << half.out;
  EXPECT_TRUE(Has(half.out, "PC2-6400")) << half.out;
}

TEST(MemoryCli, BadDumpsAndArgumentsAreRefusedClearly) {
  TempDir dir;
  const std::string block = HexBlocks("brenmor-x58").at(0);
  std::string unread = block, shortRow = block, gap = block;
  unread.replace(unread.find("\n10: ") + 5, 2, "XX");
  const size_t row2 = shortRow.find("\n20: ") + 1;
  shortRow.replace(row2, shortRow.find('\n', row2) - row2, "20: 00 01");
  gap.replace(gap.find("\n30: ") + 1, 2, "40");
  std::string textAfter = block + "some trailing words\n";
  struct Case {
    std::string name, contents, message;
  };
  const Case cases[] = {
      {"short.bin", std::string(100, '\x92'), "a binary SPD image has 128, 256 or 512 bytes, this one 100"},
      {"unread.txt", unread, "line 4: a byte that was not read (XX)"},
      {"shortrow.txt", shortRow, "line 5: the row has 2 bytes instead of 16"},
      {"gap.txt", gap, "line 6: row at 0x40 where 0x30 was expected"},
      {"trailing.txt", textAfter, "line 19: not a row of a dump"},  // the comment line, the header, 16 rows
      {"few.txt", "00: 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b 0b\n", "holds 16 bytes; an SPD image has at least 128"},
      {"prose.txt", "not a dump at all\n", "no dump rows found"},
  };
  for (const Case& c : cases) {
    CmdResult r = Torvikctl("spd --from-dump " + dir.Write(c.name, c.contents));
    EXPECT_EQ(r.status, 1) << c.name << ": " << r.out;
    EXPECT_TRUE(Has(r.out, c.message)) << c.name << ": " << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << "one line: " << r.out;
  }
  CmdResult directory = Torvikctl("spd --from-dump " + dir.Path());
  EXPECT_EQ(directory.status, 1) << directory.out;
  EXPECT_TRUE(Has(directory.out, "is a directory")) << directory.out;
  CmdResult missing = Torvikctl("spd --from-dump " + dir.Path() + "/none.bin");
  EXPECT_EQ(missing.status, 1) << missing.out;
  const std::string big = dir.Write("big.txt", std::string(70 * 1024, ' '));
  EXPECT_EQ(Torvikctl("spd --from-dump " + big).status, 1);

  for (const char* args : {"spd --from-dump", "spd extra", "spd --hex --from-dump x", "memory now"}) {
    CmdResult r = Torvikctl(args);
    EXPECT_EQ(r.status, 2) << args << ": " << r.out;
    EXPECT_TRUE(Has(r.out, "usage: torvikctl ")) << r.out;
  }
}

}  // namespace
