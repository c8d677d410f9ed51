#include "platform/NamedMutex.h"

#include "platform/LockFiles.h"
#include "platform/LockTimeouts.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

namespace plat {

namespace {

constexpr uint32_t kMagic = 0x4B4D544Eu;  // "NTMK"
constexpr uint32_t kBlockVersion = 2;

std::mutex g_nsMutex;
std::string* g_namespace = nullptr;

std::string Sanitise(const std::string& name) {
  std::string out;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
              c == '-' || c == '_';
    out += ok ? c : '_';
  }
  return out;
}

}  // namespace

struct SharedMutexBlock {
  uint32_t magic;
  uint32_t version;
  uint32_t size;      // sizeof(SharedMutexBlock) of the program that built it
  uint32_t ownerUid;  // the user the lock belongs to
  pthread_mutex_t mutex;
};

void SetLockNamespace(const std::string& ns) {
  std::lock_guard<std::mutex> g(g_nsMutex);
  delete g_namespace;
  g_namespace = new std::string(Sanitise(ns));
}

std::string LockNamespace() {
  std::lock_guard<std::mutex> g(g_nsMutex);
  if (!g_namespace) {
    const char* env = std::getenv("TORVIK_LOCK_NAMESPACE");
    g_namespace = new std::string(env && *env ? Sanitise(env) : std::string("torvik"));
  }
  return *g_namespace;
}

std::string SegmentNameFor(const std::string& name) { return "/" + LockNamespace() + "." + Sanitise(name); }

// Owner bookkeeping per thread: how many times this thread holds which block.
// A plain array, not a container: it has no destructor, so a lock handle that
// lives in a static object and is closed after the main thread's
// thread-local objects are gone (at exit) still finds valid memory here.
namespace {
struct OwnedEntry {
  const void* block;
  int depth;
};
constexpr size_t kMaxOwnedPerThread = 64;
thread_local OwnedEntry t_owned[kMaxOwnedPerThread];
thread_local size_t t_ownedCount = 0;

// Null when `create` is set and the thread already holds kMaxOwnedPerThread
// different locks.
int* DepthSlot(const void* block, bool create) {
  for (size_t i = 0; i < t_ownedCount; ++i)
    if (t_owned[i].block == block) return &t_owned[i].depth;
  if (!create || t_ownedCount == kMaxOwnedPerThread) return nullptr;
  t_owned[t_ownedCount] = {block, 0};
  return &t_owned[t_ownedCount++].depth;
}

void ForgetSlot(const void* block) {
  for (size_t i = 0; i < t_ownedCount; ++i)
    if (t_owned[i].block == block) {
      t_owned[i] = t_owned[--t_ownedCount];
      return;
    }
}
}  // namespace

namespace {

// Takes the flock on the initialisation guard, polling so that a holder that
// never lets go costs a bounded wait, not a hang.
bool LockGuard(int fd) {
  for (uint32_t waited = 0;; ++waited) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (waited >= kLockSetupTimeoutMs) return false;
    usleep(1000);
  }
}

bool HeaderChecksOut(const SharedMutexBlock& b) {
  return b.magic == kMagic && b.version == kBlockVersion && b.size == sizeof(SharedMutexBlock) &&
         b.ownerUid == static_cast<uint32_t>(geteuid());
}

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Open(const std::string& name, bool initialOwner, int* error) {
  int dummy = 0;
  if (!error) error = &dummy;
  *error = 0;
  const std::string file = SegmentNameFor(name).substr(1);

  // Initialisation is guarded by a file lock on a sibling file so that two
  // processes opening the same new lock do not both initialise it.
  int guard = OpenLockFile(file + ".init", nullptr, error);
  if (guard < 0) return nullptr;
  if (!LockGuard(guard)) {
    *error = ETIMEDOUT;
    close(guard);
    ReportLockProblem("timed out setting up the lock \"" + name + "\"");
    return nullptr;
  }
  auto fail = [&](int e) -> std::unique_ptr<NamedMutex> {
    *error = e;
    flock(guard, LOCK_UN);
    close(guard);
    return nullptr;
  };
  bool created = false;
  int fd = OpenLockFile(file, &created, error);
  if (fd < 0) return fail(*error);
  struct stat st {};
  fstat(fd, &st);
  const bool sized = st.st_size == static_cast<off_t>(sizeof(SharedMutexBlock));
  if (!sized && ftruncate(fd, sizeof(SharedMutexBlock)) != 0) {
    int e = errno;
    close(fd);
    return fail(e);
  }
  void* mem = mmap(nullptr, sizeof(SharedMutexBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (mem == MAP_FAILED) return fail(errno);
  auto* block = static_cast<SharedMutexBlock*>(mem);
  if (created || !sized || !HeaderChecksOut(*block)) {
    // The file is ours (OpenLockFile checked that), so a header that does
    // not check out was left half-made or was damaged: build it afresh.
    if (!created)
      ReportLockProblem("the lock \"" + name + "\" had a damaged header; rebuilt it");
    std::memset(block, 0, sizeof(*block));
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&block->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    block->version = kBlockVersion;
    block->size = sizeof(SharedMutexBlock);
    block->ownerUid = static_cast<uint32_t>(geteuid());
    block->magic = kMagic;
  }
  flock(guard, LOCK_UN);
  close(guard);

  std::unique_ptr<NamedMutex> m(new NamedMutex());
  m->name_ = name;
  m->block_ = block;
  if (initialOwner) {
    uint32_t w = m->Wait(kLockSetupTimeoutMs, error);
    if (w != kWaitObject0 && w != kWaitAbandoned) {
      if (w == kWaitTimeout) *error = ETIMEDOUT;
      return nullptr;
    }
  }
  return m;
}

NamedMutex::~NamedMutex() {
  if (!block_) return;
  // A handle closed while its thread still owns the mutex gives it up, like
  // the last handle of an owning thread would.
  while (OwnedByCaller()) Release();
  munmap(block_, sizeof(SharedMutexBlock));
}

uint32_t NamedMutex::Wait(uint32_t timeoutMs, int* error) {
  int rc;
  if (timeoutMs == kInfinite) {
    rc = pthread_mutex_lock(&block_->mutex);
  } else {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    ts.tv_sec += timeoutMs / 1000;
    ts.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
      ts.tv_sec += 1;
      ts.tv_nsec -= 1000000000L;
    }
    rc = pthread_mutex_clocklock(&block_->mutex, CLOCK_MONOTONIC, &ts);
  }
  if (rc == 0 || rc == EOWNERDEAD) {
    if (rc == EOWNERDEAD) {
      pthread_mutex_consistent(&block_->mutex);
      ReportLockProblem("the previous holder of the lock \"" + name_ +
                        "\" ended without releasing it; the lock is free again");
    }
    int* d = DepthSlot(block_, true);
    if (!d) {
      // Held without a record it could never be released: give it back.
      pthread_mutex_unlock(&block_->mutex);
      if (error) *error = ENOMEM;
      return kWaitFailed;
    }
    ++*d;
    return rc == 0 ? kWaitObject0 : kWaitAbandoned;
  }
  if (rc == ETIMEDOUT) return kWaitTimeout;
  if (error) *error = rc;
  return kWaitFailed;
}

bool NamedMutex::Release() {
  int* d = DepthSlot(block_, false);
  if (!d || *d <= 0) return false;
  if (pthread_mutex_unlock(&block_->mutex) != 0) return false;
  if (--*d == 0) ForgetSlot(block_);
  return true;
}

bool NamedMutex::OwnedByCaller() const {
  const int* d = DepthSlot(block_, false);
  return d && *d > 0;
}

}  // namespace plat

#include <dirent.h>

namespace plat {
void RemoveLockSegments(const std::string& ns) {
  const std::string prefix = Sanitise(ns) + ".";
  // A process may have used both scopes (a host run, then an emulated one).
  std::vector<std::string> dirs = {LockDirectoryFor(LockScope::System)};
  if (LockDirectoryFor(LockScope::User) != dirs[0]) dirs.push_back(LockDirectoryFor(LockScope::User));
  for (const std::string& dir : dirs) {
    DIR* d = opendir(dir.c_str());
    if (!d) continue;
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.compare(0, prefix.size(), prefix) == 0) unlinkat(dirfd(d), n.c_str(), 0);
    }
    closedir(d);
  }
}
}  // namespace plat
