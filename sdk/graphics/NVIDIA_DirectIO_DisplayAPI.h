// NVIDIA graphics chips through their own registers (PCI BAR 0): names and
// family codes by device id, temperature, clocks, memory type, size and bus
// width. Serves every NVIDIA adapter (handle -1); for G8x and later it also
// creates the chip's I2C space (NVIDIA_G80_I2CRegisterSpace) as the
// adapter's `directI2C`. Register meanings follow the envytools
// documentation and the Linux nouveau driver.
#pragma once

#include <cstdint>

#include "sdk/graphics/CDisplayAPI.h"

class CDisplayInterface;

// Family codes: vendor 0x01, generation in bits 23:16, chip in bits 15:0.
enum NvidiaFamily : uint32_t {
  NV_FAMILY_NV4X = 0x01040000,
  NV_FAMILY_G80 = 0x01050080,
  NV_FAMILY_G84 = 0x01050084,
  NV_FAMILY_G86 = 0x01050086,
  NV_FAMILY_G92 = 0x01050092,
  NV_FAMILY_G94 = 0x01050094,
  NV_FAMILY_G96 = 0x01050096,
  NV_FAMILY_G98 = 0x01050098,
  NV_FAMILY_GT200 = 0x01050200,
  NV_FAMILY_GT215 = 0x01050215,
  NV_FAMILY_GT216 = 0x01050216,
  NV_FAMILY_GT218 = 0x01050218,
  NV_FAMILY_GF100 = 0x01060400,
  NV_FAMILY_GF104 = 0x01060404,
  NV_FAMILY_GF106 = 0x01060406,
  NV_FAMILY_GF110 = 0x01060410,
  NV_FAMILY_GK104 = 0x01070104,
};

struct NvidiaChipRow {
  int firstId, lastId;  // PCI device id range; -1 ends the table
  uint32_t family;
  const char* chipName;
  float technology;  // µm
};
extern const NvidiaChipRow kNvidiaChips[];

struct GpuNameRow {
  int deviceId;  // -1 ends the table
  const char* name;
};
extern const GpuNameRow kNvidiaNames[];

class NVIDIA_DirectIO_DisplayAPI : public CDisplayAPI {
 public:
  explicit NVIDIA_DirectIO_DisplayAPI(CDisplayInterface* owner);
  bool Init() override;
  // The "Graphics I2C" section for the adapters no SDK backend serves (the
  // SDK backend writes it for its own).
  void Report(std::string* out) override;
  bool GetTemperature(CDisplayAdapter* a, float* celsius) override;
  bool GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetShaderClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetMemoryClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetMemoryType(CDisplayAdapter* a, int* code) override;
  bool GetMemorySize(CDisplayAdapter* a, int* megabytes) override;
  bool GetBusWidth(CDisplayAdapter* a, int* bits) override;

  // The clock formulas on register values (kHz before the final scaling).
  static float CoreOrShaderMHz(uint32_t coefficient, uint32_t postDivider);
  static float MemoryMHz(uint32_t control, uint32_t coefficient);

 private:
  bool Reg(CDisplayAdapter* a, uint32_t offset, uint32_t* value);
  bool PllClock(CDisplayAdapter* a, bool shader, float* mhz);
  // The Fermi clock tree (kHz; 0 when a stage is off or a read failed).
  uint32_t FermiPll(CDisplayAdapter* a, uint32_t pll);
  uint32_t FermiDivider(CDisplayAdapter* a, int index, uint32_t source, uint32_t control);
  uint32_t FermiDomain(CDisplayAdapter* a, int index);
  uint32_t FermiMemory(CDisplayAdapter* a);

  CDisplayInterface* interface_;
};
