// Runs the torvikctl binary as a user would, in this test's lock namespace,
// and collects its exit status and its output (stdout and stderr together).
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/NamedMutex.h"

namespace testsupport {

struct CmdResult {
  int status;
  std::string out;
};

// `wrapper` comes between the environment and the program (setpriv ...).
inline CmdResult RunTorvikctl(const std::string& args, const std::string& wrapper = "") {
  std::string cmd = "TORVIK_LOCK_NAMESPACE=" + plat::LockNamespace() + " " + wrapper + " " TORVIKCTL " " + args + " 2>&1";
  CmdResult r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

}  // namespace testsupport
