#include "platform/ProcessList.h"

#include <dirent.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace plat {

namespace {

// PF_KTHREAD in the flags field of /proc/PID/stat (include/linux/sched.h).
constexpr unsigned long kKernelThreadFlag = 0x00200000;

std::string ProcPath(int pid, const char* leaf) { return "/proc/" + std::to_string(pid) + "/" + leaf; }

bool IsKernelThread(int pid) {
  FILE* f = std::fopen(ProcPath(pid, "stat").c_str(), "r");
  if (!f) return false;
  char buf[1024] = {};
  const size_t n = std::fread(buf, 1, sizeof(buf) - 1, f);
  std::fclose(f);
  buf[n] = 0;
  // The name in parentheses may itself hold spaces and ')': fields start
  // after the last ')'. Then: state ppid pgrp session tty_nr tpgid flags.
  const char* p = std::strrchr(buf, ')');
  if (!p) return false;
  char state = 0;
  long skip[5];
  unsigned long flags = 0;
  if (std::sscanf(p + 1, " %c %ld %ld %ld %ld %ld %lu", &state, &skip[0], &skip[1], &skip[2], &skip[3], &skip[4],
                  &flags) != 7)
    return false;
  return (flags & kKernelThreadFlag) != 0;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

cpu_set_t ToSet(uint64_t mask) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int i = 0; i < 64; ++i)
    if (mask >> i & 1) CPU_SET(i, &set);
  return set;
}

}  // namespace

std::string ProcessName(int pid) {
  if (pid <= 0 || IsKernelThread(pid)) return {};
  char target[4096];
  const ssize_t n = readlink(ProcPath(pid, "exe").c_str(), target, sizeof(target) - 1);
  if (n > 0) {
    std::string path(target, static_cast<size_t>(n));
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
    return BaseName(path);
  }
  FILE* f = std::fopen(ProcPath(pid, "comm").c_str(), "r");
  if (!f) return {};
  char comm[64] = {};
  const bool ok = std::fgets(comm, sizeof(comm), f) != nullptr;
  std::fclose(f);
  if (!ok) return {};
  std::string name = comm;
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

std::string OwnExecutableName() {
  static const std::string own = ProcessName(static_cast<int>(getpid()));
  return own;
}

std::vector<ProcessEntry> ListProcesses() {
  std::vector<int> pids;
  if (DIR* dir = opendir("/proc")) {
    while (dirent* e = readdir(dir)) {
      char* end = nullptr;
      const long pid = std::strtol(e->d_name, &end, 10);
      if (e->d_name[0] >= '1' && e->d_name[0] <= '9' && *end == 0 && pid > 0 && pid <= 0x7FFFFFFF)
        pids.push_back(static_cast<int>(pid));
    }
    closedir(dir);
  }
  std::sort(pids.begin(), pids.end());
  const std::string own = OwnExecutableName();
  std::vector<ProcessEntry> list;
  for (int pid : pids) {
    std::string name = ProcessName(pid);
    if (name.empty() || name == own) continue;
    list.push_back({pid, std::move(name)});
  }
  return list;
}

int FindProcessByName(const std::string& name) {
  if (name.empty()) return -1;
  for (const ProcessEntry& p : ListProcesses())
    if (p.name == name) return p.pid;
  return -1;
}

bool SetAffinityOfAllThreads(int pid, uint64_t mask, int* error) {
  auto fail = [&](int e) {
    if (error) *error = e;
    return false;
  };
  if (mask == 0) return fail(EINVAL);
  if (pid <= 0) return fail(ESRCH);
  const cpu_set_t set = ToSet(mask);
  const std::string taskDir = ProcPath(pid, "task");
  std::set<long> done;
  int firstError = 0;
  // Threads started while the list is walked inherit the old mask from their
  // creator: walk again until a pass finds no thread not yet set.
  for (int pass = 0; pass < 16; ++pass) {
    DIR* dir = opendir(taskDir.c_str());
    if (!dir) return fail(done.empty() ? ESRCH : errno);
    bool fresh = false;
    while (dirent* e = readdir(dir)) {
      if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
      const long tid = std::strtol(e->d_name, nullptr, 10);
      if (!done.insert(tid).second) continue;
      fresh = true;
      // A thread that ended meanwhile (ESRCH) needs no mask.
      if (sched_setaffinity(static_cast<pid_t>(tid), sizeof(set), &set) != 0 && errno != ESRCH && !firstError)
        firstError = errno;
    }
    closedir(dir);
    if (!fresh) break;
  }
  if (firstError) return fail(firstError);
  if (done.empty() || (kill(pid, 0) != 0 && errno == ESRCH)) return fail(ESRCH);
  return true;
}

std::string PinErrorText(int pid, const std::string& name, int error) {
  std::string who = "process " + std::to_string(pid);
  if (!name.empty()) who += " (" + name + ")";
  switch (error) {
    case ESRCH: return who + " is gone";
    case EPERM:
    case EACCES: return who + " may not be pinned: it belongs to another user (permission denied)";
    case EINVAL: return who + " may not run on any of the chosen processors";
    default: return who + " could not be pinned: " + std::strerror(error);
  }
}

}  // namespace plat
