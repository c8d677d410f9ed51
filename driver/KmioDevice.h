// The driver device: decodes control requests and performs them with single
// hardware accesses. The compound operations (kept mappings, counter rate
// against the power-management timer, SMBus byte reads, SMI) are done here
// once for every platform.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

#include "driver/DriverEndpoint.h"
#include "driver/DriverProtocol.h"
#include "driver/HardwareAccess.h"

namespace drv {

class KmioDevice : public DriverDevice {
 public:
  static constexpr int kMaxKeptMappings = 16;
  static constexpr uint32_t kPmTimerTicksToWait = 15000;
  static constexpr int kBracketTries = 3;  // reading pairs per end of the counter-rate window
  static constexpr double kPmTimerMHz = kPmTimerHz / 1e6;
  // Bounds of the counter-rate request's timer loop, far above the few
  // thousand readings and 4 ms a running timer needs.
  static constexpr long kMaxRateReadings = 1000000;
  static constexpr std::chrono::milliseconds kMaxRateWait{250};

  explicit KmioDevice(HardwareAccess& hw) : hw_(hw) {}
  ~KmioDevice() override;

  uint32_t IoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize, uint32_t* returned,
                     UserBuffer user) override;

  // Releases every kept mapping (the driver is being unloaded).
  void ReleaseAllMappings();
  int KeptMappingCount() const;

 private:
  struct KeptMapping {
    uint64_t address = 0;
    uint32_t length = 0;
    uint64_t handle = 0;
  };

  uint32_t ReadPhysicalBlock(const uint32_t* in, UserBuffer user);
  uint32_t PciConfig(bool write, const uint32_t* in, uint32_t* out, UserBuffer user);
  uint32_t MapPhysical(const uint32_t* in, uint32_t* out);
  uint32_t UnmapPhysical(const uint32_t* in);
  uint32_t MsrRate(const uint32_t* in, uint32_t* out);
  uint32_t SmbusReadIntel(const uint32_t* in, uint32_t* out);
  uint32_t SmbusReadNvidia(const uint32_t* in, uint32_t* out);

  HardwareAccess& hw_;
  mutable std::mutex mappingsMutex_;
  KeptMapping mappings_[kMaxKeptMappings];
};

}  // namespace drv
