#include <cstdio>
#include <numeric>

#include "platform/Machine.h"
#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/memory/CChipsetInterface.h"
#include "sdk/memory/ControllerReaders.h"

namespace mc {

bool ReadPci(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value) {
  *value = 0xFFFFFFFF;
  auto* pci = static_cast<CPCIInterface*>(QUARNSDK::GetInstance()->FindInterface(INTERFACE_PCI));
  return pci && pci->ReadConfig(bus, device, function, reg, value) && *value != 0xFFFFFFFF;
}

MchbarWindow::MchbarWindow(CNorthBridge& bridge, uint32_t size, bool enable, uint32_t barRegister)
    : bridge_(bridge), barRegister_(barRegister) {
  uint32_t mchbar = bridge.ReadConfig(barRegister);
  if (mchbar == 0xFFFFFFFF) return;
  if (enable && !(mchbar & 1)) {
    // Switched on for this read only; a bridge that keeps it off gives
    // nothing.
    original_ = mchbar;
    if (!bridge.WriteConfig(barRegister, mchbar | 1)) return;
    restore_ = true;
    plat::CurrentMachine().Sleep(50);
    mchbar = bridge.ReadConfig(barRegister);
    if (mchbar == 0xFFFFFFFF || !(mchbar & 1)) return;
  }
  CIOSpace* w = MapMemoryWindow(mchbar & ~0x3FFFu, size);
  if (!w) return;
  bridge.window = w;
  window_ = w;
}

CIOSpace* MapMemoryWindow(uint32_t base, uint32_t size) {
  if (!base) return nullptr;
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  CIOSpace* w = sdk.FindIOSpace(0, base, IOSPACE_MEMORY);
  if (w) {
    w->size = size;
  } else {
    w = new CMemoryIOSpace(0, base, size);
    sdk.AddIOSpace(w);
  }
  return w;
}

MchbarWindow::~MchbarWindow() {
  if (restore_) bridge_.WriteConfig(barRegister_, original_);
}

bool MchbarWindow::Read(uint32_t offset, uint32_t* value) const {
  *value = 0xFFFFFFFF;
  return window_ && window_->Read32(offset, value) && *value != 0xFFFFFFFF;
}

uint32_t MchbarWindow::Bits(uint32_t offset, int high, int low, bool* ok) const {
  uint32_t v = 0;
  *ok = Read(offset, &v);
  return *ok ? Field(v, high, low) : 0;
}

void SetRatio(CMemoryInfo& info, int busUnits, int memoryUnits) {
  if (busUnits <= 0 || memoryUnits <= 0) return;
  const int g = std::gcd(busUnits, memoryUnits);
  info.ratioValue = static_cast<float>(memoryUnits) / static_cast<float>(busUnits);
  std::snprintf(info.ratioText, sizeof(info.ratioText), "%d:%d", busUnits / g, memoryUnits / g);
}

}  // namespace mc
