#include "platform/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/NamedMutex.h"

namespace plat {

InstanceGuard::InstanceGuard(std::string name) : name_(std::move(name)) {}

InstanceGuard::~InstanceGuard() { Release(); }

std::string InstanceGuard::PathFor(const std::string& name) {
  // "/<ns>.<name>" is the segment of a mutex; its lock file sits beside it.
  return "/dev/shm" + SegmentNameFor(name) + ".lock";
}

bool InstanceGuard::TryAcquire() {
  if (Held()) return true;
  const std::string path = PathFor(name_);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    heldWithoutFile_ = true;
    return true;
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    if (busy) return false;
    heldWithoutFile_ = true;
    return true;
  }
  fd_ = fd;
  return true;
}

void InstanceGuard::Release() {
  heldWithoutFile_ = false;
  if (fd_ < 0) return;
  // The file stays: unlinking it would let a third process lock a fresh
  // inode while a second one still waits on the old.
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace plat
