#include "cli/CliSession.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "driver/DriverEndpoint.h"
#include "machines/MachineSelect.h"
#include "platform/Machine.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

Session::~Session() {
  UnlockHardware();
  if (sdkStarted_) {
    ShutdownSdk(driver_.get());
  } else if (driver_ && driver_->mutex) {
    // Only the channel was opened: leave the driver service as it was found
    // for the next command, but give up the lock.
    driver_->Close(false, false);
  }
}

bool Session::OpenChannel() {
  std::string error;
  auto mode = options_.virtualTime ? emu::TimeBase::Mode::Virtual : emu::TimeBase::Mode::Real;
  if (!machines::SelectMachine(options_.machine, &error, mode)) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return false;
  }
  driver_ = std::make_unique<CKMDriver>();
  uint32_t code = 0;
  const char* tmp = std::getenv("TMPDIR");
  DriverStartResult r = StartDriverChannel(*driver_, tmp ? tmp : "/tmp", &code, &version_);
  if (r == DriverStartResult::Ok) {
    // Someone at a terminal is told, whatever the command prints, that the
    // readings come from an emulated board; pipes get the plain output.
    if (plat::CurrentMachine().IsEmulated() && isatty(STDERR_FILENO))
      std::fprintf(stderr, "[%s: EMULATED board, not this computer]\n", plat::CurrentMachine().Name().c_str());
    return true;
  }
  if (r == DriverStartResult::OpenFailed) {
    std::fprintf(stderr, "torvikctl: Error during driver initialization (error %u)\n", code);
    std::string why = plat::CurrentMachine().DriverService().Describe();
    if (!why.empty()) std::fprintf(stderr, "%s", why.c_str());
    if (!plat::CurrentMachine().IsEmulated())
      std::fprintf(stderr,
                   "The host's hardware access is not available to this process. To try the program on an "
                   "emulated board, run with --machine emulated (see 'torvikctl machines').\n");
  } else {
    std::fprintf(stderr, "torvikctl: the driver answered version 0x%X, expected 0x%X\n", version_,
                 KMIO_DRIVER_VERSION);
  }
  driver_.reset();
  return false;
}

bool Session::StartSdk() {
  if (!driver_ && !OpenChannel()) return false;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  if (!sdk) return false;
  startup_ = CreateSdkInterfaces(*sdk, *driver_);
  sdkStarted_ = true;
  return true;
}

bool Session::LockHardware() {
  if (!driver_) return false;
  if (sdkStarted_ && QUARNSDK::HasInstance()) {
    uint32_t status = 0;
    // A one-shot user action waits for the lock, but not for ever from a terminal.
    if (!QUARNSDK::GetInstance()->Lock(&status, 10000)) {
      std::fprintf(stderr, "torvikctl: the SDK lock is held by another program (status 0x%X)\n", status);
      return false;
    }
    sdkLocked_ = true;
  }
  uint32_t error = 0;
  if (!driver_->Acquire(&error, 2000)) {
    std::fprintf(stderr, "torvikctl: the driver channel is busy (error 0x%X)\n", error);
    UnlockHardware();
    return false;
  }
  channelHeld_ = true;
  return true;
}

void Session::UnlockHardware() {
  if (channelHeld_) {
    driver_->Release();
    channelHeld_ = false;
  }
  if (sdkLocked_) {
    QUARNSDK::GetInstance()->Unlock();
    sdkLocked_ = false;
  }
}

bool ParseNumber(const std::string& text, uint64_t* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (errno || !end || *end || text[0] == '-') return false;
  *value = v;
  return true;
}

bool ParsePciAddress(const std::string& text, uint32_t* bus, uint32_t* device, uint32_t* function) {
  unsigned b = 0, d = 0, f = 0;
  char tail = 0;
  // bus:device.function in hexadecimal, like lspci
  if (std::sscanf(text.c_str(), "%x:%x.%x%c", &b, &d, &f, &tail) != 3) return false;
  if (b > 255 || d > 31 || f > 7) return false;
  *bus = b;
  *device = d;
  *function = f;
  return true;
}

}  // namespace cli
