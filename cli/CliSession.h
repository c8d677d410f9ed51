// What every torvikctl command stands on: the selected machine, the driver
// channel and, for commands that need it, the SDK with its interfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/Exit.h"
#include "driver/CKMDriver.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/SdkStartup.h"

namespace cli {

struct GlobalOptions {
  std::string machine = "host";
  bool json = false;
  bool yes = false;
  bool virtualTime = false;  // emulated machine on virtual time (tests)
};

class Session {
 public:
  explicit Session(const GlobalOptions& options) : options_(options) {}
  ~Session();

  // Selects the machine and opens the driver channel. On failure prints why
  // to stderr (and, on the host, that --machine emulated exists).
  bool OpenChannel();
  // Also creates the SDK interfaces: those in `interfaces` (SdkInterfaceSet)
  // and the ones they depend on.
  bool StartSdk(uint32_t interfaces = kSdkAll);
  // The same with the start-up hooks given (their interface set included).
  bool StartSdk(const SdkStartupHooks& hooks);

  // The hardware lock for one user action: the SDK lock, then the channel.
  bool LockHardware();
  void UnlockHardware();

  CKMDriver& Driver() { return *driver_; }
  const GlobalOptions& Options() const { return options_; }
  uint32_t DriverVersion() const { return version_; }
  const SdkStartupResult& Startup() const { return startup_; }

 private:
  GlobalOptions options_;
  std::unique_ptr<CKMDriver> driver_;
  uint32_t version_ = 0xFFFFFFFF;
  bool sdkStarted_ = false;
  std::unique_ptr<HardwareLock> lock_;
  SdkStartupResult startup_;
};

// Parsing helpers shared by the verbs.
bool ParseNumber(const std::string& text, uint64_t* value);
// A finite decimal number within [low, high], nothing after it.
bool ParseDecimal(const std::string& text, double low, double high, double* value);
bool ParsePciAddress(const std::string& text, uint32_t* bus, uint32_t* device, uint32_t* function);
// OFFSET[.B|.W|.L] like setpci: a configuration-space offset up to 0xFFF,
// aligned to its width (dword when none is given).
bool ParseRegister(const std::string& text, uint32_t* offset, int* width);

// How a listing is written: --format text|json|prometheus (--json is
// the same as --format json).
enum class OutputFormat { Text, Json, Prometheus };
bool ParseFormat(const std::string& name, OutputFormat* format);
// Arguments that may only be "--format NAME" (or none).
bool ParseFormatArgs(const std::vector<std::string>& args, OutputFormat* format);

}  // namespace cli
