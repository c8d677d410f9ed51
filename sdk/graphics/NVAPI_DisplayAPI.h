// The NVIDIA driver's own interface. On this platform it is the driver's
// management library (NVML, GraphicsDevices.h), loaded at run time: without
// it, or when it does not start, Init is false and the backend is dropped.
// GPUs are matched to adapters by PCI vendor and device id and bus number;
// each served adapter also gets an I2C space through the driver's I2C
// adapters (i2c-dev) as its `apiI2C`.
#pragma once

#include <memory>

#include "sdk/graphics/CDisplayAPI.h"

class CDisplayInterface;
namespace plat {
class GpuManagementLibrary;
}

class NVAPI_DisplayAPI : public CDisplayAPI {
 public:
  explicit NVAPI_DisplayAPI(CDisplayInterface* owner);
  ~NVAPI_DisplayAPI() override;
  bool Init() override;
  void Close() override;
  bool Reset() override;
  // The "Graphics I2C" section for the adapters it serves.
  void Report(std::string* out) override;
  bool GetTemperature(CDisplayAdapter* a, float* celsius) override;
  bool GetFanPercent(CDisplayAdapter* a, int* percent) override;
  bool GetLoad(CDisplayAdapter* a, int* percent) override;
  bool GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetShaderClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetMemoryClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) override;
  bool GetDefaultCoreClock(CDisplayAdapter* a, int level, float* mhz) override;
  bool GetDefaultShaderClock(CDisplayAdapter* a, int level, float* mhz) override;
  bool GetDefaultMemoryClock(CDisplayAdapter* a, int level, float* mhz) override;
  bool SetCoreClock(CDisplayAdapter* a, int level, float mhz) override;
  bool SetMemoryClock(CDisplayAdapter* a, int level, float mhz) override;
  bool GetMemorySize(CDisplayAdapter* a, int* megabytes) override;
  bool I2CRead(CDisplayAdapter* a, int port, int address, int reg, uint8_t* value) override;

  // Uses this library instead of loading one (tests).
  void SetLibrary(std::unique_ptr<plat::GpuManagementLibrary> library);

 private:
  bool Clock(CDisplayAdapter* a, int level, int clock, float* mhz, float* min, float* max);
  bool DefaultClock(CDisplayAdapter* a, int level, int clock, float* mhz);
  bool Enumerate();

  CDisplayInterface* interface_;
  std::unique_ptr<plat::GpuManagementLibrary> library_;
};
