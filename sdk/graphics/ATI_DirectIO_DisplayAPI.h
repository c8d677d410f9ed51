// ATI graphics chips through their own registers (PCI BAR 2 on R6xx and
// later is the register aperture; BAR 0 is the frame buffer): names, family
// codes and chip names by device id, temperature, core and memory clocks,
// memory size and bus width. The register meanings follow the Linux radeon
// driver (r600d.h, rv770d.h).
#pragma once

#include <cstdint>

#include "sdk/graphics/CDisplayAPI.h"

class CDisplayInterface;

struct AtiChipRow {
  int deviceId;  // -1 ends the table
  const char* name;
  const char* chipName;
  uint32_t family;
  float technology;      // µm
  int thermalKind;       // 0x4600, 0x4700, or 0 (no register sensor)
};
extern const AtiChipRow kAtiChips[];

class ATI_DirectIO_DisplayAPI : public CDisplayAPI {
 public:
  // The engine reference clock when the video BIOS gives none (kHz).
  static constexpr float kDefaultReferenceKHz = 27000.0f;

  explicit ATI_DirectIO_DisplayAPI(CDisplayInterface* owner);
  bool Init() override;
  bool GetTemperature(CDisplayAdapter* a, float* celsius) override;
  bool GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetMemoryClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetMemorySize(CDisplayAdapter* a, int* megabytes) override;
  bool GetBusWidth(CDisplayAdapter* a, int* bits) override;

  // R6xx (RV630/RV670) SPLL and MPLL: feedback and post dividers from the
  // PLL's control word F and its extension D.
  static float R6xxPllMHz(uint32_t f, uint32_t d, float referenceKHz);

 private:
  const AtiChipRow* Chip(CDisplayAdapter* a) const;
  bool Reg(CDisplayAdapter* a, uint32_t offset, uint32_t* value);

  CDisplayInterface* interface_;
};
