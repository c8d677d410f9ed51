#include "cli/CliSession.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "driver/DriverEndpoint.h"
#include "machines/MachineSelect.h"
#include "platform/Machine.h"
#include "sdk/core/HardwareLock.h"
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
    if (!plat::CurrentMachine().IsEmulated() && geteuid() != 0)
      std::fprintf(stderr,
                   "torvikctl needs root for the host's hardware: run it with sudo. To try the program on an "
                   "emulated board, run with --machine emulated (see 'torvikctl machines').\n");
    else if (!plat::CurrentMachine().IsEmulated())
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

bool Session::StartSdk(uint32_t interfaces) {
  SdkStartupHooks hooks;
  hooks.interfaces = interfaces;
  return StartSdk(hooks);
}

bool Session::StartSdk(const SdkStartupHooks& hooks) {
  if (!driver_ && !OpenChannel()) return false;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  if (!sdk) return false;
  startup_ = CreateSdkInterfaces(*sdk, *driver_, hooks);
  sdkStarted_ = true;
  return true;
}

bool Session::LockHardware() {
  if (!driver_) return false;
  if (lock_) return true;
  QUARNSDK* sdk = sdkStarted_ && QUARNSDK::HasInstance() ? QUARNSDK::GetInstance() : nullptr;
  // A one-shot user action waits for the lock, but not for ever from a terminal.
  auto lock = std::make_unique<HardwareLock>(sdk, driver_.get(), plat::kUserActionSdkTimeoutMs);
  if (!*lock) {
    if (sdk && lock->SdkStatus() != 0 && !lock->ChannelError())
      std::fprintf(stderr, "torvikctl: the SDK lock is held by another program (status 0x%X)\n", lock->SdkStatus());
    else
      std::fprintf(stderr, "torvikctl: the driver channel is busy (error 0x%X)\n", lock->ChannelError());
    return false;
  }
  lock_ = std::move(lock);
  return true;
}

void Session::UnlockHardware() { lock_.reset(); }

bool ParseDecimal(const std::string& text, double low, double high, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end || !std::isfinite(v) || v < low || v > high) return false;
  *value = v;
  return true;
}

bool ParseNumber(const std::string& text, uint64_t* value) {
  // Decimal, or hexadecimal with 0x: a leading zero never means octal, and
  // blanks, signs and anything after the digits are refused.
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t start = hex ? 2 : 0;
  if (text.size() <= start) return false;
  uint64_t v = 0;
  const uint64_t base = hex ? 16 : 10;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    uint64_t digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<uint64_t>(c - '0');
    else if (hex && c >= 'a' && c <= 'f')
      digit = static_cast<uint64_t>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F')
      digit = static_cast<uint64_t>(c - 'A' + 10);
    else
      return false;
    if (v > (UINT64_MAX - digit) / base) return false;  // does not fit 64 bits
    v = v * base + digit;
  }
  *value = v;
  return true;
}

bool ParseFormat(const std::string& name, OutputFormat* format) {
  if (name == "text") *format = OutputFormat::Text;
  else if (name == "json") *format = OutputFormat::Json;
  else if (name == "prometheus") *format = OutputFormat::Prometheus;
  else return false;
  return true;
}

bool ParseFormatArgs(const std::vector<std::string>& args, OutputFormat* format) {
  if (args.empty()) return true;
  return args.size() == 2 && args[0] == "--format" && ParseFormat(args[1], format);
}

namespace {

// One hexadecimal field of a PCI address, at most `limit`.
bool ParseHexField(const std::string& text, uint64_t limit, uint32_t* out) {
  uint64_t v = 0;
  if (text.empty() || text.size() > 8 || !ParseNumber("0x" + text, &v) || v > limit) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

bool ParsePciAddress(const std::string& text, uint32_t* bus, uint32_t* device, uint32_t* function) {
  // bus:device.function in hexadecimal, like lspci; a field too large for
  // its width is an error, never truncated to another device.
  size_t colon = text.find(':'), dot = text.find('.');
  if (colon == std::string::npos || dot == std::string::npos || dot < colon) return false;
  uint32_t b = 0, d = 0, f = 0;
  if (!ParseHexField(text.substr(0, colon), 0xFF, &b) ||
      !ParseHexField(text.substr(colon + 1, dot - colon - 1), 0x1F, &d) || !ParseHexField(text.substr(dot + 1), 7, &f))
    return false;
  *bus = b;
  *device = d;
  *function = f;
  return true;
}

// OFFSET[.B|.W|.L] like setpci; dword when no width is given.
bool ParseRegister(const std::string& text, uint32_t* offset, int* width) {
  std::string num = text;
  *width = 4;
  size_t dot = text.find('.');
  if (dot != std::string::npos) {
    std::string w = text.substr(dot + 1);
    num = text.substr(0, dot);
    if (w == "B" || w == "b") *width = 1;
    else if (w == "W" || w == "w") *width = 2;
    else if (w == "L" || w == "l") *width = 4;
    else return false;
  }
  uint64_t v = 0;
  if (!ParseNumber(num.rfind("0x", 0) == 0 ? num : "0x" + num, &v) || v > 0xFFF || v % *width) return false;
  *offset = static_cast<uint32_t>(v);
  return true;
}

}  // namespace cli
