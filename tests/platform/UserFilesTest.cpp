// The program's own text files: UTF-16 LE with BOM and CRLF, the
// configuration directory and the replace-by-rename save.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/UserFiles.h"

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s.push_back(static_cast<char>(c));
  return s;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class TempDir {
 public:
  TempDir() {
    char t[] = "/tmp/torvik-userfiles-XXXXXX";
    path_ = mkdtemp(t);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

TEST(UserFiles, EncodesUtf8LinesAsUtf16WithBomAndCrLf) {
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

TEST(UserFiles, DecodesWhatOtherWritersLeave) {
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

TEST(UserFiles, ConfigurationDirectoryFollowsXdgThenHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
  setenv("HOME", "/home/tuner", 1);
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(plat::UserConfigDirectory(), "/cfg/torvik");
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);  // not absolute: ignored
  EXPECT_EQ(plat::UserConfigDirectory(), "/home/tuner/.config/torvik");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(plat::UserConfigDirectory(), "/home/tuner/.config/torvik");
  oldXdg ? setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  oldHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

TEST(UserFiles, ReplaceCreatesTheDirectoryAndSwapsTheFileWhole) {
  TempDir tmp;
  const std::string dir = tmp.Path() + "/a/torvik";
  const std::string path = dir + "/rules.txt";
  std::string error;
  ASSERT_TRUE(plat::ReplaceFile(path, "first", &error)) << error;
  ASSERT_TRUE(plat::ReplaceFile(path, "second", &error)) << error;
  EXPECT_EQ(ReadAll(path), "second");
  struct stat st {};
  ASSERT_EQ(stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // Nothing but the file itself is left in the directory.
  DIR* d = opendir(dir.c_str());
  ASSERT_NE(d, nullptr);
  int entries = 0;
  while (dirent* e = readdir(d)) entries += e->d_name[0] != '.';
  closedir(d);
  EXPECT_EQ(entries, 1);

  std::vector<std::string> lines;
  ASSERT_TRUE(plat::ReadTextLines(path, &lines, &error));
  EXPECT_EQ(lines, std::vector<std::string>{"second"});
  EXPECT_FALSE(plat::ReadTextLines(dir, &lines, &error));

  // A path through a plain file cannot be saved; nothing is harmed.
  EXPECT_FALSE(plat::ReplaceFile(path + "/x.txt", "third", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadAll(path), "second");
}

}  // namespace
