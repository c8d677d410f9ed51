// One polling cycle of the measurements, shared by the application's
// polling thread and `torvikctl monitor`; free of any user-interface code.
//
// A cycle takes the SDK lock (with the caller's time-out) and the driver
// channel, refreshes every interface that exists in a fixed order
// (processors, chipset, hardware monitor, display), feeds the hand-held
// device every third cycle and the board's gauge when its position changed
// (a write on the SMBus each second would only repeat itself), gives both
// locks back and counts itself. A cycle whose SDK lock is not had is
// skipped and not counted.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

class CDevice;
class CKMDriver;
class QUARNSDK;

class CPollCore {
 public:
  struct Hooks {
    // Sends the monitoring values to the hand-held device (under both
    // locks); without it FeedZundo does.
    std::function<void(QUARNSDK& sdk)> feedZundo;
    // Moves the board gauge `device` (type DEVICE_BOARD_CONTROL) to
    // `position`; without it the gauge device's own SetDialPosition does.
    std::function<void(CDevice* device, uint8_t position)> setDialPosition;
  };

  static constexpr int kZundoEveryNthCycle = 3;

  // `sdk` and `driver` may be null: then no cycle is ever had.
  CPollCore(QUARNSDK* sdk, CKMDriver* driver, Hooks hooks = {});

  // One cycle; true when it ran (and was counted).
  bool PollHardware(uint32_t sdkLockTimeoutMs);

  // Gauge position for a core clock in MHz: piecewise linear from 1000 MHz
  // (0) to 6000 MHz (255), truncated toward zero.
  static uint8_t GaugePosition(float mhz);
  // The same scale before it is cut to whole steps.
  static double GaugeScale(float mhz);

  // The refresh steps of a cycle, each doing nothing when its interface is
  // missing. True when the interface was found and refreshed.
  static bool RefreshProcessors(QUARNSDK& sdk);
  static bool RefreshChipset(QUARNSDK& sdk);
  static bool RefreshHardwareMonitor(QUARNSDK& sdk);
  static bool RefreshDisplay(QUARNSDK& sdk);

  int CycleCount() const { return cycles_.load(); }
  int SkippedCount() const { return skipped_.load(); }
  // How long the last counted cycle held the SDK lock in all, and in its
  // longest stretch (the measurements' waits give it up), in nanoseconds.
  uint64_t LastLockHeldNs() const { return lastLockHeldNs_.load(); }
  uint64_t LastLockStretchNs() const { return lastLockStretchNs_.load(); }

  void SetZundoPolling(bool on) { zundoPolling_.store(on); }
  bool ZundoPolling() const { return zundoPolling_.load(); }
  Hooks& GetHooks() { return hooks_; }

 private:
  void FeedGauge(QUARNSDK& sdk);

  QUARNSDK* sdk_;
  CKMDriver* driver_;
  Hooks hooks_;
  std::atomic<int> cycles_{0};
  std::atomic<int> skipped_{0};
  std::atomic<uint64_t> lastLockHeldNs_{0};
  std::atomic<uint64_t> lastLockStretchNs_{0};
  std::atomic<bool> zundoPolling_{false};
  int dialPosition_ = -1;  // what the gauge was last moved to, -1 before that
};
