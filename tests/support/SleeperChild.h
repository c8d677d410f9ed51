// Starts the threaded sleeper (tests/support/ThreadedSleeper.cpp) as a child
// process and reads the processors each of its threads may run on.
#pragma once

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

class SleeperChild {
 public:
  // `exe` is the sleeper's path; `threads` extra threads besides the main one.
  SleeperChild(const std::string& exe, int threads) {
    int in[2], out[2];
    if (pipe(in) != 0) return;
    if (pipe(out) != 0) {
      close(in[0]);
      close(in[1]);
      return;
    }
    const std::string n = std::to_string(threads);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      close(in[1]);
      close(out[0]);
      execl(exe.c_str(), exe.c_str(), n.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    char buf[8] = {};
    ready_ = pid_ > 0 && read(out[0], buf, 6) == 6 && std::string(buf, 5) == "ready";
    close(out[0]);
  }
  ~SleeperChild() {
    if (stdin_ >= 0) close(stdin_);
    if (pid_ > 0) {
      int st = 0;
      waitpid(pid_, &st, 0);
    }
  }
  SleeperChild(const SleeperChild&) = delete;
  SleeperChild& operator=(const SleeperChild&) = delete;

  bool Ready() const { return ready_; }
  int Pid() const { return pid_; }

  // "Cpus_allowed_list" of every thread, from /proc/PID/task/TID/status.
  std::vector<std::string> ThreadCpuLists() const {
    std::vector<std::string> lists;
    const std::string dir = "/proc/" + std::to_string(pid_) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return lists;
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
      FILE* f = std::fopen((dir + "/" + e->d_name + "/status").c_str(), "r");
      if (!f) continue;
      char line[512];
      while (std::fgets(line, sizeof(line), f)) {
        std::string l = line;
        if (l.rfind("Cpus_allowed_list:", 0) != 0) continue;
        l = l.substr(l.find_first_not_of(" \t", 18));
        while (!l.empty() && (l.back() == '\n' || l.back() == ' ')) l.pop_back();
        lists.push_back(l);
      }
      std::fclose(f);
    }
    closedir(d);
    return lists;
  }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  bool ready_ = false;
};

}  // namespace testsupport
