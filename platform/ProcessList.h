// The running processes as /proc shows them, and pinning every thread of
// one to a set of logical processors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct ProcessEntry {
  int pid = 0;
  std::string name;  // executable base name
};

// The executable base name of process `pid`: the target of /proc/PID/exe
// (without a " (deleted)" suffix) or, where that link may not be read
// (another user's process), /proc/PID/comm. Empty for kernel threads and
// processes that are gone.
std::string ProcessName(int pid);

// The base name of this program's own executable.
std::string OwnExecutableName();

// Every user-space process by ascending id, without the ones running this
// program's own executable.
std::vector<ProcessEntry> ListProcesses();

// The first process of ListProcesses() named exactly `name`, or -1.
int FindProcessByName(const std::string& name);

// Sets the affinity of every thread of process `pid` (the tasks under
// /proc/PID/task; threads started meanwhile are caught by walking again).
// False with `error` set to an errno value: ESRCH when the process is gone,
// EPERM when it belongs to another user, EINVAL when the mask names no
// processor the process may use.
bool SetAffinityOfAllThreads(int pid, uint64_t mask, int* error);

// A one-line explanation of a failed pin of process `pid` ("process 42 is
// gone", ...).
std::string PinErrorText(int pid, const std::string& name, int error);

}  // namespace plat
