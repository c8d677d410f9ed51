#include "sdk/voltage/uP6208_Buck_MicroController.h"

#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInfos.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CCPUThread.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/cpu/FIDVID_Control.h"

namespace {

// The voltage of a VID code by the voltage model of processor 0, core 0;
// -1 when there is none.
float ProcessorVidVoltage(int vid) {
  if (!QUARNSDK::HasInstance()) return -1.0f;
  auto* cpus = static_cast<CCPUInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_CPU));
  CProcessor* p = cpus ? cpus->GetProcessor(0) : nullptr;
  CCPUCore* core = p ? p->GetCore(0) : nullptr;
  CCPUThread* t = core && core->threads ? core->threads->At(0) : nullptr;
  if (!t) return -1.0f;
  for (CCPUInfos* infos : {t->modelInfos, t->familyInfos, t->vendorInfos})
    if (infos && infos->ratioControl) return infos->ratioControl->VoltageFromCode(vid);
  return -1.0f;
}

}  // namespace


bool uP6208_Buck_MicroController::ReadChannel(int n, CMicroControllerOutput* out) {
  uint8_t b = 0;
  if (!ReadByte(0x04, &b)) return false;
  out->code = b & 0x7F;
  return true;
}

int uP6208_Buck_MicroController::SetOutput(int rowId, int value, int flags) {
  if (rowId & rowid::kCombined) return 0;
  int ok = WriteByte(0x04, static_cast<uint8_t>(value | 0x80));
  Pause();
  return ok;
}

int uP6208_Buck_MicroController::MaxValue(const _stMicroControllerOutputDesc& row, int flags) const {
  return (row.id & rowid::kCombined) ? -1 : 0x7F;
}

int uP6208_Buck_MicroController::CreateOutputs() {
  // Latch the VID inputs (register 0x0D bit 7), then read them back.
  float base = -1.0f;
  if (WriteByte(0x0D, 0x80)) {
    Pause();
    uint8_t vid = 0;
    if (ReadByte(0x0B, &vid)) base = ProcessorVidVoltage(vid);
  }
  if (descriptions)
    for (_stMicroControllerOutputDesc* row = descriptions; row->id != rowid::kEnd; ++row) row->base = base;
  return CMicroController::CreateOutputs();
}
