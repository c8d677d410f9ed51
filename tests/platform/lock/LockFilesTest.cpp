// Lock files against other local users: what a hostile or careless user can
// leave in the lock directory never makes a run create or change a file
// elsewhere, hang, or fail for good.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/GlobalMutex.h"
#include "platform/InstanceGuard.h"
#include "platform/LockFiles.h"
#include "platform/NamedMutex.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// A fresh lock directory per test, and the problems the code reports.
class LockFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/torvik-lockfiles-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
    chmod(base_.c_str(), 0755);  // so an unprivileged child can reach paths below
    dir_ = base_ + "/locks";
    plat::SetLockDirectory(dir_);
    plat::SetLockProblemSink([this](const std::string& text) { problems_.push_back(text); });
  }
  void TearDown() override {
    plat::SetLockProblemSink(nullptr);
    plat::SetLockDirectory("");
    std::string cmd = "rm -rf '" + base_ + "'";
    (void)!std::system(cmd.c_str());
  }

  std::string SegmentPath(const std::string& name) const {
    return dir_ + plat::SegmentNameFor(std::string("Global\\") + name);
  }
  std::string Problems() const {
    std::string all;
    for (const auto& p : problems_) all += p + "\n";
    return all;
  }

  // Runs `body` in a child switched to the unprivileged user "nobody";
  // returns its exit status, or -1 when this process is not root.
  static int AsNobody(const std::function<int()>& body) {
    if (geteuid() != 0) return -1;
    const passwd* pw = getpwnam("nobody");
    const uid_t uid = pw ? pw->pw_uid : 65534;
    const gid_t gid = pw ? pw->pw_gid : 65534;
    pid_t pid = fork();
    if (pid == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(100);
      _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
  }

  std::string base_, dir_;
  std::vector<std::string> problems_;
};

TEST_F(LockFiles, NewLocksAreOwnerOnlyAndLeaveTheUmaskAlone) {
  // The lock is first created by a child running with the usual umask 022,
  // which would leave a file readable by everyone, so that this process's
  // umask is never touched; a lock whose mode came from the umask would not
  // be 0600.
  constexpr mode_t kUsualUmask = 022;
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    umask(kUsualUmask);
    plat::MutexHandle created = plat::CreateGlobalMutex(false, "fresh");
    if (!created) _exit(1);
    if (umask(kUsualUmask) != kUsualUmask) _exit(2);  // opening a lock must not change the process umask
    if (!problems_.empty()) _exit(3);
    plat::CloseMutex(created);
    _exit(0);
  }
  int status = -1;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not created, 2: umask changed, 3: problems reported";
  plat::MutexHandle m = plat::CreateGlobalMutex(false, "fresh");
  ASSERT_NE(m, nullptr) << Problems();

  struct stat st {};
  ASSERT_EQ(stat(dir_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, geteuid());
  ASSERT_EQ(lstat(SegmentPath("fresh").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(lstat((SegmentPath("fresh") + ".init").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(plat::WaitForMutex(m, 0), plat::kWaitObject0);
  EXPECT_TRUE(plat::ReleaseMutex(m));
  plat::CloseMutex(m);
  EXPECT_TRUE(problems_.empty()) << Problems();
}

// Whatever sits at a lock's path, the lock ends up as a fresh private file
// in the lock directory, the thing it pointed at stays as it was, and the
// user is told.
TEST_F(LockFiles, ForeignThingsAtALockPathAreReplacedNeverFollowed) {
  const std::string outside = base_ + "/victim";
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> plant;
    const char* told;
  };
  const Case cases[] = {
      {"symlink to a file elsewhere", [&](const std::string& p) { ASSERT_EQ(symlink(outside.c_str(), p.c_str()), 0); },
       "symbolic link"},
      {"dangling symlink", [&](const std::string& p) { ASSERT_EQ(symlink((base_ + "/new").c_str(), p.c_str()), 0); },
       "symbolic link"},
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, "not a regular file"},
      {"file of another user",
       [](const std::string& p) {
         int fd = open(p.c_str(), O_CREAT | O_WRONLY, 0600);
         ASSERT_GE(fd, 0);
         close(fd);
         ASSERT_EQ(chown(p.c_str(), 65534, 65534), 0);
       },
       "another user"},
      {"file others may write",
       [](const std::string& p) {
         int fd = open(p.c_str(), O_CREAT | O_WRONLY, 0600);
         ASSERT_GE(fd, 0);
         fchmod(fd, 0640);  // readable by the group: no longer ours alone
         close(fd);
       },
       "open to other users"},
  };
  if (geteuid() != 0) GTEST_SKIP() << "planting a file of another user needs root";
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    { std::ofstream(outside) << "keep me"; }
    chmod(outside.c_str(), 0644);
    const std::string name = "planted" + std::to_string(n++);
    // The directory exists once any lock was opened.
    plat::CloseMutex(plat::CreateGlobalMutex(false, "warm-up"));
    problems_.clear();
    for (const char* suffix : {"", ".init"}) c.plant(SegmentPath(name) + suffix);

    plat::MutexHandle m = plat::CreateGlobalMutex(false, name.c_str());
    ASSERT_NE(m, nullptr) << Problems();
    EXPECT_EQ(plat::WaitForMutex(m, 100), plat::kWaitObject0);
    plat::ReleaseMutex(m);
    plat::CloseMutex(m);

    struct stat st {};
    ASSERT_EQ(lstat(SegmentPath(name).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadAll(outside), "keep me");
    ASSERT_EQ(stat(outside.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_NE(access((base_ + "/new").c_str(), F_OK), 0) << "a dangling link's target was created";
    EXPECT_NE(Problems().find(c.told), std::string::npos) << Problems();
  }
}

TEST_F(LockFiles, ALockDirectoryOfAnotherUserIsRefusedWithAMessage) {
  if (geteuid() != 0) GTEST_SKIP() << "making a directory of another user needs root";
  ASSERT_EQ(mkdir(dir_.c_str(), 0700), 0);
  ASSERT_EQ(chown(dir_.c_str(), 65534, 65534), 0);
  int error = 0;
  EXPECT_EQ(plat::CreateGlobalMutex(false, "foreign", &error), nullptr);
  EXPECT_EQ(error, EPERM);
  EXPECT_NE(Problems().find("belongs to another user"), std::string::npos) << Problems();

  // The single-instance check fails closed.
  problems_.clear();
  plat::InstanceGuard guard("foreign-instance");
  EXPECT_FALSE(guard.TryAcquire());
  EXPECT_FALSE(guard.Held());
  EXPECT_NE(Problems().find("single-instance"), std::string::npos) << Problems();
}

TEST_F(LockFiles, ADamagedHeaderOfOurOwnIsRebuilt) {
  plat::CloseMutex(plat::CreateGlobalMutex(false, "damaged"));
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"zeros", std::string(64, '\0')},
      {"wrong magic, plausible size", std::string(48, '\x7f')},
      {"truncated", std::string(3, 'N')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      int fd = open(SegmentPath("damaged").c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW);
      ASSERT_GE(fd, 0);
      ASSERT_EQ(write(fd, c.bytes.data(), c.bytes.size()), static_cast<ssize_t>(c.bytes.size()));
      close(fd);
    }
    problems_.clear();
    plat::MutexHandle m = plat::CreateGlobalMutex(false, "damaged");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(plat::WaitForMutex(m, 100), plat::kWaitObject0);
    EXPECT_TRUE(plat::ReleaseMutex(m));
    plat::CloseMutex(m);
    EXPECT_NE(Problems().find("rebuilt"), std::string::npos) << Problems();
  }
}

TEST_F(LockFiles, AnUnprivilegedUserCanNeitherTouchNorPlantLockFiles) {
  plat::MutexHandle m = plat::CreateGlobalMutex(false, "guarded");
  ASSERT_NE(m, nullptr);
  const std::string seg = SegmentPath("guarded");
  const std::string planted = dir_ + "/" + plat::LockNamespace() + ".Global_planted";
  const int status = AsNobody([&] {
    if (open(seg.c_str(), O_RDWR) >= 0) return 1;                       // could take or forge the lock
    if (open(seg.c_str(), O_RDONLY) >= 0) return 2;                     // could read it
    if (symlink("/etc/passwd", planted.c_str()) == 0) return 3;         // could plant a link
    if (open(planted.c_str(), O_CREAT | O_WRONLY, 0600) >= 0) return 4;  // could pre-create a file
    return 0;
  });
  if (status < 0) GTEST_SKIP() << "runs only as root (it switches to the user nobody)";
  EXPECT_EQ(status, 0);
  // Our own run goes on unaffected.
  EXPECT_EQ(plat::WaitForMutex(m, 100), plat::kWaitObject0);
  EXPECT_TRUE(plat::ReleaseMutex(m));
  plat::CloseMutex(m);
}

TEST_F(LockFiles, ASetupGuardHeldForEverCostsABoundedWait) {
  plat::CloseMutex(plat::CreateGlobalMutex(false, "stuck"));
  // Another of our processes hangs while holding the initialisation guard.
  int fd = open((SegmentPath("stuck") + ".init").c_str(), O_RDWR | O_NOFOLLOW);
  ASSERT_GE(fd, 0);
  pid_t pid = fork();
  if (pid == 0) {
    flock(fd, LOCK_EX);
    pause();
    _exit(0);
  }
  close(fd);
  usleep(100 * 1000);
  int error = 0;
  EXPECT_EQ(plat::CreateGlobalMutex(false, "stuck", &error), nullptr);
  EXPECT_EQ(error, ETIMEDOUT);
  EXPECT_NE(Problems().find("timed out"), std::string::npos) << Problems();
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  // Once it is gone the lock opens again.
  plat::MutexHandle m = plat::CreateGlobalMutex(false, "stuck");
  EXPECT_NE(m, nullptr);
  plat::CloseMutex(m);
}

}  // namespace
