#include "platform/LockFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace plat {

namespace {

std::mutex g_mutex;
LockScope g_scope = LockScope::System;
std::string g_override;
std::function<void(const std::string&)> g_sink;

std::string DefaultDirectory(LockScope scope) {
  const uid_t uid = geteuid();
  if (scope == LockScope::System && uid == 0) return "/run/torvik";
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/torvik";
  if (uid == 0) return "/run/torvik";
  return "/tmp/torvik-" + std::to_string(uid);
}


}  // namespace

void SetLockScope(LockScope scope) {
  std::lock_guard<std::mutex> g(g_mutex);
  g_scope = scope;
}

LockScope CurrentLockScope() {
  std::lock_guard<std::mutex> g(g_mutex);
  return g_scope;
}

void SetLockDirectory(const std::string& dir) {
  std::lock_guard<std::mutex> g(g_mutex);
  g_override = dir;
}

std::string LockDirectory() {
  std::lock_guard<std::mutex> g(g_mutex);
  return g_override.empty() ? DefaultDirectory(g_scope) : g_override;
}

std::string LockDirectoryFor(LockScope scope) {
  std::lock_guard<std::mutex> g(g_mutex);
  return g_override.empty() ? DefaultDirectory(scope) : g_override;
}

void ReportLockProblem(const std::string& text) {
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard<std::mutex> g(g_mutex);
    sink = g_sink;
  }
  if (sink) {
    sink(text);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

void SetLockProblemSink(std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> g(g_mutex);
  g_sink = std::move(sink);
}

int OpenLockDirectory(int* error) {
  int dummy = 0;
  if (!error) error = &dummy;
  const std::string dir = LockDirectory();
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = errno;
    ReportLockProblem("cannot create the lock directory " + dir + ": " + std::strerror(*error));
    return -1;
  }
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    *error = errno;
    ReportLockProblem("cannot open the lock directory " + dir + ": " + std::strerror(*error));
    return -1;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    *error = errno;
    close(fd);
    return -1;
  }
  if (st.st_uid != geteuid()) {
    close(fd);
    *error = EPERM;
    ReportLockProblem("the lock directory " + dir + " belongs to another user (uid " + std::to_string(st.st_uid) +
                      "); refusing to use it");
    return -1;
  }
  // Our own directory with wider rights (made by hand, say): narrow it.
  if ((st.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) {
    *error = errno;
    close(fd);
    ReportLockProblem("the lock directory " + dir + " is open to other users and cannot be restricted");
    return -1;
  }
  return fd;
}

int OpenLockFile(const std::string& fileName, bool* created, int* error) {
  int dummyError = 0;
  bool dummyCreated = false;
  if (!error) error = &dummyError;
  if (!created) created = &dummyCreated;
  *created = false;
  *error = 0;
  if (fileName.empty() || fileName.find('/') != std::string::npos || fileName[0] == '.') {
    *error = EINVAL;
    return -1;
  }
  int dirFd = OpenLockDirectory(error);
  if (dirFd < 0) return -1;
  int fd = -1;
  // Two rounds: a file that does not check out is removed once and made anew.
  for (int round = 0; round < 2 && fd < 0; ++round) {
    fd = openat(dirFd, fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      *created = true;
      // A umask may have taken bits away; this file is new and ours.
      fchmod(fd, 0600);
      break;
    }
    if (errno != EEXIST) {
      *error = errno;
      break;
    }
    std::string problem;
    fd = openat(dirFd, fileName.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      if (errno == ENOENT) continue;  // removed meanwhile: create it
      problem = errno == ELOOP ? "is a symbolic link" : std::string("cannot be opened: ") + std::strerror(errno);
    } else {
      struct stat st {};
      if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        problem = "is not a regular file";
      else if (st.st_uid != geteuid())
        problem = "belongs to another user (uid " + std::to_string(st.st_uid) + ")";
      else if ((st.st_mode & 077) != 0)
        problem = "is open to other users";
      if (!problem.empty()) {
        close(fd);
        fd = -1;
      } else {
        // Back to blocking I/O for the flock and mmap users.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        break;
      }
    }
    const std::string path = LockDirectory() + "/" + fileName;
    if (round == 1 || unlinkat(dirFd, fileName.c_str(), 0) != 0) {
      *error = EPERM;
      ReportLockProblem("the lock file " + path + " " + problem + " and cannot be replaced; refusing to use it");
      break;
    }
    ReportLockProblem("the lock file " + path + " " + problem + "; replaced it");
  }
  close(dirFd);
  return fd;
}

}  // namespace plat
