// Shared set-up of the application tests: one offscreen QApplication per
// process, an emulated machine per test, and a child process that holds a
// named lock.
#pragma once

#include <sys/types.h>

#include <QtGlobal>

#include <memory>
#include <string>

#include "emu/EmulatedMachine.h"

class CTorvikTuneApp;

namespace apptest {

// Creates the process's QApplication on the offscreen platform (once).
void EnsureQApplication();

// Selects a fresh emulated board on virtual time and returns it (the
// default board when `board` is empty).
std::shared_ptr<emu::EmulatedMachine> SelectEmulatedBoard(const std::string& board = "");

// Runs the event loop for `forMs` of real time with a 20 ms timer ticking
// and returns the longest time between two ticks: how long the loop was
// held up at worst.
qint64 LongestEventLoopGap(int forMs);

// Runs the event loop until the application has read the memory modules
// (they come after the window); false when that takes longer than
// `timeoutMs` of real time.
bool WaitForMemoryModules(CTorvikTuneApp& app, int timeoutMs = 30000);

// A forked child that holds the named lock `name` until destroyed (or for
// at most `maxHoldMs`, so that a hung parent does not keep it for ever).
class LockHolder {
 public:
  explicit LockHolder(const char* name, int maxHoldMs = 15000);
  ~LockHolder();
  bool Holding() const { return holding_; }

 private:
  pid_t pid_ = -1;
  int releasePipe_ = -1;
  bool holding_ = false;
};

// A forked child that runs as another copy of the program: it holds the
// single-instance lock `name` and the named mutex of that name. With
// `crash` it dies holding both (the parent waits for it to end); otherwise
// it holds them until destroyed.
class InstanceHolder {
 public:
  explicit InstanceHolder(const char* name, bool crash = false, int maxHoldMs = 15000);
  ~InstanceHolder();
  bool Holding() const { return holding_; }

 private:
  pid_t pid_ = -1;
  int releasePipe_ = -1;
  bool holding_ = false;
};

}  // namespace apptest
