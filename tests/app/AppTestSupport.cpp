#include "AppTestSupport.h"

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/CTorvikTuneApp.h"
#include "machines/MachineSelect.h"
#include "platform/GlobalMutex.h"
#include "platform/InstanceGuard.h"
#include "platform/Machine.h"

namespace apptest {

void EnsureQApplication() {
  if (QApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QString dir = QDir::tempPath() + QStringLiteral("/torvik-app-test-runtime-%1").arg(getuid());
    QDir().mkpath(dir);
    ::chmod(dir.toLocal8Bit().constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", dir.toLocal8Bit());
  }
  static int argc = 1;
  static char name[] = "torvik_app_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives as long as the process
}

qint64 LongestEventLoopGap(int forMs) {
  QTimer probe;
  probe.setInterval(20);
  QElapsedTimer sinceLast, clock;
  qint64 longestGap = 0;
  QObject::connect(&probe, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceLast.restart()); });
  sinceLast.start();
  probe.start();
  clock.start();
  while (clock.elapsed() < forMs) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  return longestGap;
}

bool WaitForMemoryModules(CTorvikTuneApp& app, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!app.MemoryModulesRead() && timer.elapsed() < timeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return app.MemoryModulesRead();
}

std::shared_ptr<emu::EmulatedMachine> SelectEmulatedBoard(const std::string& board) {
  std::string error;
  const std::string spec = board.empty() ? "emulated" : "emulated:" + board;
  if (!machines::SelectMachine(spec, &error, emu::TimeBase::Mode::Virtual)) return nullptr;
  return std::dynamic_pointer_cast<emu::EmulatedMachine>(plat::CurrentMachinePtr());
}

namespace {

// Forks a child that runs `take` (true when it now holds what it took) and
// reports the outcome through a pipe. The child then either ends at once,
// giving nothing back (`crash`), or holds on until the parent closes the
// release pipe or `maxHoldMs` passes, runs `give` and ends. Returns whether
// the child holds.
bool ForkHolder(const std::function<bool()>& take, const std::function<void()>& give, bool crash, int maxHoldMs,
                pid_t* pid, int* releasePipe) {
  int ready[2], release[2];
  if (pipe(ready) != 0) return false;
  if (pipe(release) != 0) {
    close(ready[0]);
    close(ready[1]);
    return false;
  }
  *pid = fork();
  if (*pid == 0) {
    close(ready[0]);
    close(release[1]);
    char ok = take() ? 1 : 0;
    (void)!write(ready[1], &ok, 1);
    if (crash) _exit(0);
    pollfd p{release[0], POLLIN, 0};
    poll(&p, 1, maxHoldMs);
    if (ok) give();
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  *releasePipe = release[1];
  char ok = 0;
  bool holding = *pid > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
  close(ready[0]);
  return holding;
}

}  // namespace

LockHolder::LockHolder(const char* name, int maxHoldMs) {
  plat::MutexHandle m = nullptr;
  holding_ = ForkHolder(
      [&] {
        m = plat::CreateGlobalMutex(false, name);
        return m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0;
      },
      [&] { plat::ReleaseMutex(m); }, false, maxHoldMs, &pid_, &releasePipe_);
}

LockHolder::~LockHolder() {
  if (releasePipe_ >= 0) close(releasePipe_);
  if (pid_ > 0) waitpid(pid_, nullptr, 0);
}

InstanceHolder::InstanceHolder(const char* name, bool crash, int maxHoldMs) {
  plat::MutexHandle m = nullptr;
  std::unique_ptr<plat::InstanceGuard> guard;  // lives in the child until it ends
  // On a crash nothing is given back: the kernel drops the file lock, and
  // the mutex is left abandoned.
  holding_ = ForkHolder(
      [&] {
        guard = std::make_unique<plat::InstanceGuard>(name);
        m = plat::CreateGlobalMutex(false, name);
        return guard->TryAcquire() && m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0;
      },
      [&] { plat::ReleaseMutex(m); }, crash, maxHoldMs, &pid_, &releasePipe_);
  if (crash && pid_ > 0) {
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

InstanceHolder::~InstanceHolder() {
  if (releasePipe_ >= 0) close(releasePipe_);
  if (pid_ > 0) waitpid(pid_, nullptr, 0);
}

}  // namespace apptest


// fontconfig keeps a process-lifetime cache that LeakSanitizer reports at
// exit; nothing of ours is in it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }
