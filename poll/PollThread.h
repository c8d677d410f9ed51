// The background thread that runs the polling cycle about once a second for
// the whole life of the application (or until polling is stopped).
//
// Each turn waits up to 50 ms for the program's instance mutex; when it is
// had, the cycle runs and the mutex is given back; a mutex whose previous
// owner died is given back and the turn skipped. Then the thread sleeps for
// its period. Stopping wakes the sleep and joins the thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CPollThread {
 public:
  static constexpr uint32_t kInstanceLockTimeoutMs = 50;
  static constexpr uint32_t kDefaultPeriodMs = 1000;

  // `cycle` runs once per turn while the instance mutex `instanceMutexName`
  // is held.
  CPollThread(std::function<void()> cycle, std::string instanceMutexName, uint32_t periodMs = kDefaultPeriodMs);
  ~CPollThread();
  CPollThread(const CPollThread&) = delete;
  CPollThread& operator=(const CPollThread&) = delete;

  // Clears the stop flag and starts the thread unless one runs already.
  void Start();
  // Sets the stop flag, wakes the thread and waits for it without limit.
  void Stop();
  bool Running() const { return thread_.joinable(); }

  // Turns that ran the cycle, and turns skipped because the instance mutex
  // was busy or abandoned.
  int TurnCount() const { return turns_.load(); }
  int InstanceSkipCount() const { return instanceSkips_.load(); }

 private:
  void Run();

  std::function<void()> cycle_;
  std::string instanceMutexName_;
  uint32_t periodMs_;
  std::thread thread_;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::atomic<int> turns_{0};
  std::atomic<int> instanceSkips_{0};
};
