#include "poll/ZundoFeed.h"

#include "poll/MonitorView.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace {

constexpr uint32_t kBoardTemperature1 = 0x01000200;
constexpr uint32_t kBoardTemperature2 = 0x02000200;
constexpr uint32_t kCpu0VCore = 0x01000100;
constexpr uint32_t kCpu1VCore = 0x41000100;

float SensorValue(QUARNSDK& sdk, uint32_t key) {
  CSensor* s = CMonitorView::SensorByKey(&sdk, key);
  return s ? s->value : -1.0f;
}

CCPUCore* FirstCore(QUARNSDK& sdk, int processor) {
  auto* cpu = static_cast<CCPUInterface*>(sdk.FindInterface(INTERFACE_CPU));
  CProcessor* p = cpu ? cpu->GetProcessor(processor) : nullptr;
  return p && p->GetNumberOfCores() > 0 ? p->GetCore(0) : nullptr;
}

}  // namespace

ZundoValues GatherZundoValues(QUARNSDK& sdk) {
  ZundoValues v;
  const CMainboard* board = sdk.GetMainboard();
  const int32_t id = board ? board->boardHash : -1;
  v.dualProcessor = id == CMonitorView::kDualBoardA || id == CMonitorView::kDualBoardB;
  if (CCPUCore* c = FirstCore(sdk, 0)) {
    v.clockMHz = c->clock;
    v.cpu0Temperature = c->temperature;
  }
  if (CCPUCore* c = FirstCore(sdk, 1)) v.cpu1Temperature = c->temperature;
  v.boardTemperature1 = SensorValue(sdk, kBoardTemperature1);
  v.boardTemperature2 = SensorValue(sdk, kBoardTemperature2);
  v.cpu0VCore = SensorValue(sdk, kCpu0VCore);
  v.cpu1VCore = SensorValue(sdk, kCpu1VCore);
  return v;
}

std::vector<ZundoFeedReport> FeedZundo(QUARNSDK& sdk) { return SendToZundo(sdk, GatherZundoValues(sdk)); }
