#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

namespace plat {

namespace {

constexpr uint32_t kMagic = 0x4B4D544Eu;  // "NTMK"

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
namespace {
struct OwnedEntry {
  const void* block;
  int depth;
};
thread_local std::vector<OwnedEntry> t_owned;

int* DepthSlot(const void* block, bool create) {
  for (auto& e : t_owned)
    if (e.block == block) return &e.depth;
  if (!create) return nullptr;
  t_owned.push_back({block, 0});
  return &t_owned.back().depth;
}

void ForgetSlot(const void* block) {
  for (size_t i = 0; i < t_owned.size(); ++i)
    if (t_owned[i].block == block) {
      t_owned.erase(t_owned.begin() + static_cast<long>(i));
      return;
    }
}
}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Open(const std::string& name, bool initialOwner, int* error) {
  int dummy = 0;
  if (!error) error = &dummy;
  *error = 0;
  const std::string seg = SegmentNameFor(name);

  // Initialisation is guarded by a file lock on a sibling file so that two
  // processes opening the same new lock do not both initialise it.
  const std::string guardPath = "/dev/shm" + seg + ".init";
  mode_t old = umask(0);
  int guard = open(guardPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (guard < 0) {
    umask(old);
    *error = errno;
    return nullptr;
  }
  flock(guard, LOCK_EX);
  int fd = shm_open(seg.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  umask(old);
  if (fd < 0) {
    *error = errno;
    flock(guard, LOCK_UN);
    close(guard);
    return nullptr;
  }
  struct stat st {};
  fstat(fd, &st);
  bool fresh = st.st_size < static_cast<off_t>(sizeof(SharedMutexBlock));
  if (fresh && ftruncate(fd, sizeof(SharedMutexBlock)) != 0) {
    *error = errno;
    close(fd);
    flock(guard, LOCK_UN);
    close(guard);
    return nullptr;
  }
  void* mem = mmap(nullptr, sizeof(SharedMutexBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (mem == MAP_FAILED) {
    *error = errno;
    flock(guard, LOCK_UN);
    close(guard);
    return nullptr;
  }
  auto* block = static_cast<SharedMutexBlock*>(mem);
  if (fresh || block->magic != kMagic) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&block->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    block->magic = kMagic;
  }
  flock(guard, LOCK_UN);
  close(guard);

  std::unique_ptr<NamedMutex> m(new NamedMutex());
  m->name_ = name;
  m->block_ = block;
  if (initialOwner) m->Wait(kInfinite, nullptr);
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
    if (rc == EOWNERDEAD) pthread_mutex_consistent(&block_->mutex);
    int* d = DepthSlot(block_, true);
    if (d) ++*d;
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
  DIR* d = opendir("/dev/shm");
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n.compare(0, prefix.size(), prefix) != 0) continue;
    if (n.size() > 5 && n.compare(n.size() - 5, 5, ".init") == 0)
      unlink(("/dev/shm/" + n).c_str());
    else
      shm_unlink(("/" + n).c_str());
  }
  closedir(d);
}
}  // namespace plat
