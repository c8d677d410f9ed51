// ATI graphics chips through their own registers (PCI BAR 2 on R6xx and
// later is the register aperture; BAR 0 is the frame buffer): names, family
// codes and chip names by device id, temperature, core and memory clocks,
// memory size and bus width. The register meanings follow the Linux radeon
// driver (r600d.h, rv770d.h).
#pragma once

#include <cstdint>
#include <map>

#include "sdk/graphics/CDisplayAPI.h"

class CDisplayInterface;

struct AtiChipRow {
  int deviceId;  // -1 ends the table
  const char* name;
  const char* chipName;
  uint32_t family;
  float technology;      // µm
  int thermalKind;       // 0x4600, 0x4700 (on-die sensor registers), or 0
};

// Thermal sensor kinds: the chip's own sensor registers, or an LM63-class
// remote-diode sensor on the card's I2C bus (its remote temperature in
// register 1).
inline constexpr int kAtiThermalRv6xx = 0x4600, kAtiThermalRv770 = 0x4700;
inline constexpr int kAtiExternalThermalKinds[] = {0x1063, 0x1064, 0x1082, 0x1089, 0x2063, 0x3063};
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

  // The card's thermal sensor as its video BIOS records it: an external
  // kind with the chip's I2C port and 7-bit address. False for a kind the
  // backend does not know.
  bool SetThermalSensor(CDisplayAdapter* a, int kind, int port, int address);

 private:
  const AtiChipRow* Chip(CDisplayAdapter* a) const;
  bool Reg(CDisplayAdapter* a, uint32_t offset, uint32_t* value);
  bool ExternalTemperature(CDisplayAdapter* a, float* celsius);

  struct Thermal {
    int kind = 0;
    int port = -1, address = -1;
    float lastGood = -1;  // the last reading within range
  };
  CDisplayInterface* interface_;
  std::map<const CDisplayAdapter*, Thermal> thermal_;
};
