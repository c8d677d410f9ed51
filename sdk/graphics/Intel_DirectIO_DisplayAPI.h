// Intel integrated graphics through the graphics function's own registers:
// names, code names and family codes by device id; on Sandy Bridge the
// render clock from the GT's RPSTAT1 register (BAR 0 + 0xA01C, the
// current frequency in bits 14:8 in 50 MHz units) and the stolen memory
// from the graphics control register (configuration offset 0x50, bits 7:3
// in 32 MB units), as the Linux i915 driver reads them; the graphics
// plane's temperature from the processor's PCU registers, mirrored from
// MCHBAR into BAR 0 at 0x140000 (i915's MCHBAR_MIRROR_BASE_SNB): PP1
// temperature at MCHBAR 0x5980, whole degrees in bits 7:0.
#pragma once

#include <cstdint>

#include "sdk/graphics/CDisplayAPI.h"

class CDisplayInterface;

struct IntelGraphicsRow {
  int deviceId;  // -1 ends the table
  const char* name;
  const char* codeName;
  uint32_t family;
  float technology;  // µm
};
extern const IntelGraphicsRow kIntelGraphics[];

inline constexpr uint32_t kIntelFamilySandyBridge = 0x04060000;

class Intel_DirectIO_DisplayAPI : public CDisplayAPI {
 public:
  explicit Intel_DirectIO_DisplayAPI(CDisplayInterface* owner);
  bool Init() override;
  bool GetTemperature(CDisplayAdapter* a, float* celsius) override;
  bool GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetMemorySize(CDisplayAdapter* a, int* megabytes) override;

 private:
  CDisplayInterface* interface_;
};
