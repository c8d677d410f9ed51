// Files named on the command line: read whole up to their cap whatever
// their size against the buffer's first guess, refused past it, and
// refused by kind when they are no regular file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ReadCappedFile.h"

namespace {

namespace fs = std::filesystem;

class ReadCappedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("torvik-capped-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& content) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }

  static std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
    return s;
  }

  fs::path dir_;
};

TEST_F(ReadCappedFileTest, ReadsWholeFilesUpToTheCapAndRefusesLargerOnes) {
  struct Case {
    size_t size, cap;
    bool ok;
  } cases[] = {
      {0, 64, true},           {816, 256 * 1024, true},   {4095, 4096, true},    {4096, 4096, true},
      {4097, 4096, false},     {20000, 65536, true},      {65536, 65536, true},  {65537, 65536, false},
      {300000, 256 * 1024, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string content = Pattern(c.size);
    const std::string path = Write("f" + std::to_string(c.size), content);
    std::string out = "stale", error;
    EXPECT_EQ(plat::ReadCappedFile(path, c.cap, &out, &error), c.ok);
    if (c.ok) {
      EXPECT_EQ(out, content);
      EXPECT_TRUE(error.empty());
    } else {
      EXPECT_EQ(error, path + ": larger than " + std::to_string(c.cap) + " bytes");
    }
  }
}

TEST_F(ReadCappedFileTest, FilesThatReportNoSizeAreReadToTheirEnd) {
  // The kernel's files report size 0 but hold text.
  std::string out, error;
  ASSERT_TRUE(plat::ReadCappedFile("/proc/self/status", 64 * 1024, &out, &error)) << error;
  EXPECT_NE(out.find("Name:"), std::string::npos);
  EXPECT_FALSE(plat::ReadCappedFile("/proc/self/status", 16, &out, &error));
  EXPECT_EQ(error, "/proc/self/status: larger than 16 bytes");
}

TEST_F(ReadCappedFileTest, WhatIsNoRegularFileIsRefusedByKind) {
  std::string out, error;
  EXPECT_FALSE(plat::ReadCappedFile(dir_.string(), 1024, &out, &error));
  EXPECT_EQ(error, dir_.string() + ": is a directory");
  EXPECT_FALSE(plat::ReadCappedFile("/dev/zero", 1024, &out, &error));
  EXPECT_EQ(error, "/dev/zero: is not a regular file");
  EXPECT_FALSE(plat::ReadCappedFile((dir_ / "absent").string(), 1024, &out, &error));
  EXPECT_EQ(error, (dir_ / "absent").string() + ": No such file or directory");
}

}  // namespace
