// How torvikctl ends: its exit codes, and the flush that makes output that
// could not be written a failure.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// As with any command-line tool, `torvikctl sensors >/dev/full` must not
// report success: returns rc when everything reached stdout, else says why
// and fails.
inline int FinishOutput(int rc) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && !std::ferror(stdout)) return rc;
  std::fprintf(stderr, "torvikctl: error writing the output: %s\n",
               !flushed && errno ? std::strerror(errno) : "write failed");
  return kExitFailed;
}

}  // namespace cli
