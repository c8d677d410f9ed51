#include "poll/PollThread.h"

#include <chrono>

#include "platform/GlobalMutex.h"

CPollThread::CPollThread(std::function<void()> cycle, std::string instanceMutexName, uint32_t periodMs)
    : cycle_(std::move(cycle)), instanceMutexName_(std::move(instanceMutexName)), periodMs_(periodMs) {}

CPollThread::~CPollThread() { Stop(); }

void CPollThread::Start() {
  if (thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    stop_ = false;
  }
  thread_ = std::thread(&CPollThread::Run, this);
}

void CPollThread::Stop() {
  {
    std::lock_guard<std::mutex> lock(wakeMutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CPollThread::Run() {
  // Without a lock segment the cycle runs unguarded, as the single-instance
  // check also lets the program run then.
  plat::MutexHandle instance = plat::CreateGlobalMutex(false, instanceMutexName_.c_str());
  std::unique_lock<std::mutex> lock(wakeMutex_);
  while (!stop_) {
    lock.unlock();
    const uint32_t wait = instance ? plat::WaitForMutex(instance, kInstanceLockTimeoutMs) : plat::kWaitObject0;
    if (wait == plat::kWaitObject0) {
      cycle_();
      turns_.fetch_add(1);
      if (instance) plat::ReleaseMutex(instance);
    } else {
      if (wait == plat::kWaitAbandoned) plat::ReleaseMutex(instance);
      instanceSkips_.fetch_add(1);
    }
    lock.lock();
    wake_.wait_for(lock, std::chrono::milliseconds(periodMs_), [this] { return stop_; });
  }
  lock.unlock();
  if (instance) plat::CloseMutex(instance);
}
