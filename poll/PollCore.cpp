#include "poll/PollCore.h"

#include "driver/CKMDriver.h"
#include "poll/ZundoFeed.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/monitor/CHardwareMonitorInterface.h"
#include "sdk/voltage/Brenmor_Tessel.h"

CPollCore::CPollCore(QUARNSDK* sdk, CKMDriver* driver, Hooks hooks)
    : sdk_(sdk), driver_(driver), hooks_(std::move(hooks)) {}

bool CPollCore::RefreshProcessors(QUARNSDK& sdk) {
  auto* cpu = static_cast<CCPUInterface*>(sdk.FindInterface(INTERFACE_CPU));
  if (!cpu) return false;
  cpu->Refresh();
  return true;
}

bool CPollCore::RefreshChipset(QUARNSDK& sdk) {
  if (auto* chipset = static_cast<CChipsetInterface*>(sdk.FindInterface(INTERFACE_CHIPSET))) {
    chipset->Refresh();
    return true;
  }
  return false;
}

bool CPollCore::RefreshHardwareMonitor(QUARNSDK& sdk) {
  if (auto* monitor = static_cast<CHardwareMonitorInterface*>(sdk.FindInterface(INTERFACE_HARDWARE_MONITOR))) {
    monitor->Refresh();
    return true;
  }
  return false;
}

bool CPollCore::RefreshDisplay(QUARNSDK& sdk) {
  if (auto* display = static_cast<CDisplayInterface*>(sdk.FindInterface(INTERFACE_DISPLAY))) {
    display->Refresh();
    return true;
  }
  return false;
}

uint8_t CPollCore::GaugePosition(float mhz) { return static_cast<uint8_t>(static_cast<int>(GaugeScale(mhz))); }

double CPollCore::GaugeScale(float mhz) {
  const double x = mhz;
  double p;
  if (x <= 1000) p = 0;
  else if (x <= 2000) p = (x - 1000) * 40 / 1000;
  else if (x <= 3000) p = 40 + (x - 2000) * 40 / 1000;
  else if (x <= 4000) p = 80 + (x - 3000) * 40 / 1000;
  else if (x <= 5000) p = 120 + (x - 4000) * 60 / 1000;
  else if (x <= 6000) p = 180 + (x - 5000) * 75 / 1000;
  else p = 255;
  return p;
}

void CPollCore::FeedGauge(QUARNSDK& sdk) {
  CTList<CDevice> gauges;
  if (sdk.FindDevices(DEVICE_BOARD_CONTROL, &gauges) < 1) return;
  CDevice* gauge = gauges.At(0);
  auto* cpu = static_cast<CCPUInterface*>(sdk.FindInterface(INTERFACE_CPU));
  CProcessor* p = cpu ? cpu->GetProcessor(0) : nullptr;
  const float mhz = p ? p->GetCoreClock(0) : -1.0f;
  const uint8_t position = GaugePosition(mhz);
  if (position == dialPosition_) return;
  // A steady clock on a step boundary measures a hair either side of it
  // from cycle to cycle: the dial moves one step only when the clock is
  // half a step past the boundary.
  const double scale = GaugeScale(mhz);
  if (dialPosition_ >= 0 && scale > dialPosition_ - 0.5 && scale < dialPosition_ + 1.5) return;
  // A failed write is tried again next cycle.
  if (hooks_.setDialPosition) hooks_.setDialPosition(gauge, position);
  else if (!static_cast<Brenmor_Tessel*>(gauge)->SetDialPosition(position)) return;
  dialPosition_ = position;
}

bool CPollCore::PollHardware(uint32_t sdkLockTimeoutMs) {
  if (!sdk_) {
    skipped_.fetch_add(1);
    return false;
  }
  // The cycle goes on without the channel: cached values stay as they are
  // where a refresh needs it.
  HardwareLock lock(sdk_, driver_, sdkLockTimeoutMs, HardwareLock::Channel::Optional);
  if (!lock) {
    skipped_.fetch_add(1);
    return false;
  }

  RefreshProcessors(*sdk_);
  // The processors' measurement gives the lock up while it waits; a lock
  // not had back ends the cycle uncounted.
  if (!lock) {
    skipped_.fetch_add(1);
    return false;
  }
  RefreshChipset(*sdk_);
  RefreshHardwareMonitor(*sdk_);
  RefreshDisplay(*sdk_);

  // The first cycle after a start sends, then every third.
  if (zundoPolling_.load() && cycles_.load() % kZundoEveryNthCycle == 0) {
    if (hooks_.feedZundo) hooks_.feedZundo(*sdk_);
    else FeedZundo(*sdk_);
  }
  FeedGauge(*sdk_);

  lock.Unlock();
  lastLockHeldNs_.store(lock.TotalHeldNs());
  lastLockStretchNs_.store(lock.LongestStretchNs());
  cycles_.fetch_add(1);
  return true;
}
