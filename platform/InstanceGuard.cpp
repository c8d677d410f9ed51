#include "platform/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/LockFiles.h"
#include "platform/NamedMutex.h"

namespace plat {

InstanceGuard::InstanceGuard(std::string name) : name_(std::move(name)) {}

InstanceGuard::~InstanceGuard() { Release(); }

std::string InstanceGuard::FileFor(const std::string& name) { return SegmentNameFor(name).substr(1) + ".lock"; }

std::string InstanceGuard::PathFor(const std::string& name) { return LockDirectory() + "/" + FileFor(name); }

bool InstanceGuard::TryAcquire() {
  if (Held()) return true;
  // A lock file that cannot be had safely tells nothing about another copy:
  // fail closed rather than risk two copies driving the hardware.
  int error = 0;
  int fd = OpenLockFile(FileFor(name_), nullptr, &error);
  if (fd < 0) {
    ReportLockProblem("cannot take the single-instance lock \"" + name_ + "\"; not starting");
    return false;
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int e = errno;
    ::close(fd);
    if (e != EWOULDBLOCK)
      ReportLockProblem("cannot take the single-instance lock \"" + name_ + "\": " + std::strerror(e));
    return false;
  }
  fd_ = fd;
  return true;
}

void InstanceGuard::Release() {
  if (fd_ < 0) return;
  // The file stays: unlinking it would let a third process lock a fresh
  // inode while a second one still waits on the old.
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace plat
