#include "AppTestSupport.h"

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>

#include "emu/MachineSelect.h"
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

std::shared_ptr<emu::EmulatedMachine> SelectEmulatedBoard(const std::string& board) {
  std::string error;
  const std::string spec = board.empty() ? "emulated" : "emulated:" + board;
  if (!emu::SelectMachine(spec, &error, emu::TimeBase::Mode::Virtual)) return nullptr;
  return std::dynamic_pointer_cast<emu::EmulatedMachine>(plat::CurrentMachinePtr());
}

LockHolder::LockHolder(const char* name, int maxHoldMs) {
  int ready[2], release[2];
  if (pipe(ready) != 0) return;
  if (pipe(release) != 0) {
    close(ready[0]);
    close(ready[1]);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    close(ready[0]);
    close(release[1]);
    plat::MutexHandle m = plat::CreateGlobalMutex(false, name);
    char ok = m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0 ? 1 : 0;
    (void)!write(ready[1], &ok, 1);
    pollfd p{release[0], POLLIN, 0};
    poll(&p, 1, maxHoldMs);
    if (ok) plat::ReleaseMutex(m);
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  releasePipe_ = release[1];
  char ok = 0;
  holding_ = pid_ > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
  close(ready[0]);
}

LockHolder::~LockHolder() {
  if (releasePipe_ >= 0) close(releasePipe_);
  if (pid_ > 0) waitpid(pid_, nullptr, 0);
}

InstanceHolder::InstanceHolder(const char* name, bool crash, int maxHoldMs) {
  int ready[2], release[2];
  if (pipe(ready) != 0) return;
  if (pipe(release) != 0) {
    close(ready[0]);
    close(ready[1]);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    close(ready[0]);
    close(release[1]);
    plat::InstanceGuard guard(name);
    plat::MutexHandle m = plat::CreateGlobalMutex(false, name);
    char ok = guard.TryAcquire() && m && plat::WaitForMutex(m, 5000) == plat::kWaitObject0 ? 1 : 0;
    (void)!write(ready[1], &ok, 1);
    if (crash) _exit(0);  // nothing given back: the kernel drops the file lock, the mutex is abandoned
    pollfd p{release[0], POLLIN, 0};
    poll(&p, 1, maxHoldMs);
    if (ok) plat::ReleaseMutex(m);
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  releasePipe_ = release[1];
  char ok = 0;
  holding_ = pid_ > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
  close(ready[0]);
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
