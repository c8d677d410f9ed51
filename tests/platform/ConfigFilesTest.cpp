// The program's own files: where the configuration directory is, the
// owner-only directories made on the first save, a save that replaces a
// file only whole, and UTF-16 LE text with byte-order mark and CRLF.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable (or unsets it with nullopt) for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class ConfigFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/torvik-config-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Names in `dir` other than the ones given.
  static std::vector<std::string> Others(const std::string& dir, const std::vector<std::string>& known) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
      const std::string name = e.path().filename();
      if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
    }
    return out;
  }
  std::string root_;
};

TEST_F(ConfigFiles, DirectoryFollowsXdgConfigHomeElseHome) {
  struct Case {
    std::optional<std::string> xdg, home;
    std::string expected;
  } cases[] = {
      {"/x/cfg", "/home/u", "/x/cfg/torvik"},
      {std::nullopt, "/home/u", "/home/u/.config/torvik"},
      {"", "/home/u", "/home/u/.config/torvik"},
      // A relative XDG_CONFIG_HOME is invalid and ignored.
      {"cfg", "/home/u", "/home/u/.config/torvik"},
  };
  for (const Case& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(plat::ConfigDirectory(), c.expected) << c.xdg.value_or("(unset)");
  }
}

TEST_F(ConfigFiles, MakeDirectoriesCreatesOwnerOnlyParentsAndRefusesAFileInTheWay) {
  const std::string dir = root_ + "/a/b/profiles";
  std::string error;
  ASSERT_TRUE(plat::MakeDirectories(dir, &error)) << error;
  EXPECT_TRUE(plat::MakeDirectories(dir, &error)) << "an existing directory is fine";
  for (const std::string& d : {root_ + "/a", root_ + "/a/b", dir}) {
    struct stat st{};
    ASSERT_EQ(stat(d.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << d;
  }
  std::ofstream(root_ + "/file") << "x";
  EXPECT_FALSE(plat::MakeDirectories(root_ + "/file/sub", &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(ConfigFiles, ReplaceWritesOwnerOnlyAndLeavesNoTemporaryFile) {
  const std::string path = root_ + "/profile_01.txt";
  std::ofstream(path) << "old";
  std::string error;
  ASSERT_TRUE(plat::ReplaceFileAtomically(path, std::string("new\0bytes", 9), &error)) << error;
  EXPECT_EQ(Read(path), std::string("new\0bytes", 9));
  struct stat st{};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(Others(root_, {"profile_01.txt"}).empty());
}

TEST_F(ConfigFiles, AnInterruptedSaveLeavesThePreviousFileWhole) {
  const std::string path = root_ + "/profile_01.txt";
  const std::string previous = "previous profile, intact";
  std::ofstream(path) << previous;
  // The child's writes stop after 16 bytes, as when the disk fills up.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    _exit(plat::ReplaceFileAtomically(path, std::string(4096, 'n'), &error) ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3) << "the failed write was reported as success";
  EXPECT_EQ(Read(path), previous);
  EXPECT_TRUE(Others(root_, {"profile_01.txt"}).empty()) << "temporary file left behind";

  // A target that cannot be replaced (a directory) is refused the same way.
  fs::create_directory(root_ + "/busy");
  std::ofstream(root_ + "/busy/keep") << "k";
  std::string error;
  EXPECT_FALSE(plat::ReplaceFileAtomically(root_ + "/busy", "x", &error));
  EXPECT_TRUE(fs::exists(root_ + "/busy/keep"));
  EXPECT_TRUE(Others(root_, {"profile_01.txt", "busy"}).empty());
}

TEST_F(ConfigFiles, SaveMakesTheDirectoryAndReadGivesTheLinesBack) {
  const std::string dir = root_ + "/a/torvik";
  const std::string path = dir + "/processes.txt";
  std::string error;
  ASSERT_TRUE(plat::SaveConfigFile(path, plat::EncodeUtf16Lines({"first"}), &error)) << error;
  ASSERT_TRUE(plat::SaveConfigFile(path, plat::EncodeUtf16Lines({"second"}), &error)) << error;
  EXPECT_EQ(fs::status(dir).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(Others(dir, {"processes.txt"}).empty());

  std::vector<std::string> lines;
  ASSERT_TRUE(plat::ReadConfigLines(path, &lines, &error)) << error;
  EXPECT_EQ(lines, std::vector<std::string>{"second"});
  EXPECT_FALSE(plat::ReadConfigLines(dir, &lines, &error)) << "a directory is not a file";

  // A path through a plain file cannot be saved; the file stays.
  EXPECT_FALSE(plat::SaveConfigFile(path + "/x.txt", "third", &error));
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(plat::ReadConfigLines(path, &lines, &error));
  EXPECT_EQ(lines, std::vector<std::string>{"second"});
}

TEST(Utf16Text, EncodesWithByteOrderMarkAndCrlf) {
  const std::string bytes = plat::EncodeUtf16Lines({"Ab", ""});
  EXPECT_EQ(bytes, std::string("\xFF\xFE" "A\0b\0\r\0\n\0" "\r\0\n\0", 14));
}

TEST(Utf16Text, DecodesWhatItEncodesAndToleratesOtherInput) {
  const std::vector<std::string> lines = {"[Brenmor Torvik Tuning Utility]", "Proze\xC3\x9F \xE6\x97\xA5\xE6\x9C\xAC",
                                          "\xF0\x9F\x98\x80 beyond the basic plane", ""};
  EXPECT_EQ(plat::DecodeUtf16Lines(plat::EncodeUtf16Lines(lines)), lines);
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> expected;
  } cases[] = {
      {"no mark: 8-bit text, LF or CRLF", "a=1\nb=2\r\nc", {"a=1", "b=2", "c"}},
      {"UTF-8 mark", "\xEF\xBB\xBFx\r\n", {"x"}},
      {"lone surrogate", std::string("\xFF\xFE\x00\xD8" "a\0", 6), {"\xEF\xBF\xBD" "a"}},
      {"odd last byte is a damaged character", std::string("\xFF\xFE" "a\0\n\0b", 7), {"a", "\xEF\xBF\xBD"}},
      {"mark only", "\xFF\xFE", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(plat::DecodeUtf16Lines(c.bytes), c.expected) << c.name;
}

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s.push_back(static_cast<char>(c));
  return s;
}

TEST(Utf16Text, SurrogatePairsAndMalformedUtf8) {
  struct Case {
    std::vector<std::string> lines;
    std::string bytes;
    bool roundTrips = true;
  };
  const Case cases[] = {
      {{}, Bytes({0xFF, 0xFE})},
      {{"A", ""}, Bytes({0xFF, 0xFE, 'A', 0, '\r', 0, '\n', 0, '\r', 0, '\n', 0})},
      // U+00FC, and U+1F600 as a surrogate pair.
      {{"\xC3\xBC\xF0\x9F\x98\x80"}, Bytes({0xFF, 0xFE, 0xFC, 0, 0x3D, 0xD8, 0x00, 0xDE, '\r', 0, '\n', 0})},
      // A byte that starts no UTF-8 sequence, and an encoded surrogate.
      {{"\xFF" "a\xED\xA0\x80"}, Bytes({0xFF, 0xFE, 0xFD, 0xFF, 'a', 0, 0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, '\r', 0, '\n', 0}), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::EncodeUtf16Lines(c.lines), c.bytes);
    if (c.roundTrips) {
      EXPECT_EQ(plat::DecodeUtf16Lines(c.bytes), c.lines);
    }
  }
}

TEST(Utf16Text, DecodesWhatOtherWritersLeave) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      // LF alone, and a last line without an end.
      {Bytes({0xFF, 0xFE, 'a', 0, '\n', 0, 'b', 0}), {"a", "b"}},
      // An unpaired low surrogate and a dangling odd byte.
      {Bytes({0xFF, 0xFE, 0x00, 0xDC, 'c', 0, 'd'}), {"\xEF\xBF\xBD" "c\xEF\xBF\xBD"}},
      // A high surrogate at the very end.
      {Bytes({0xFF, 0xFE, 'e', 0, 0x3D, 0xD8}), {"e\xEF\xBF\xBD"}},
      // No byte-order mark: 8-bit text.
      {"[x]\r\nPA=1 2\r\n", {"[x]", "PA=1 2"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(plat::DecodeUtf16Lines(c.bytes), c.lines);
}

}  // namespace
