// What the operating system offers about graphics adapters beside their
// registers: the graphics driver's management library (NVIDIA's NVML,
// loaded at run time), the I2C adapters the graphics driver registers for
// an adapter, and the driver's attribute files of an adapter (amdgpu's
// sysfs and hwmon files). A machine without them offers nothing, which only
// means that the vendor backends are absent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace plat {

class GpuManagementLibrary {
 public:
  struct Location {
    uint32_t domain = 0, bus = 0, device = 0;
    uint32_t pciDeviceId = 0;     // device << 16 | vendor
    uint32_t pciSubsystemId = 0;  // subsystem device << 16 | subsystem vendor
  };
  enum Clock : int { kGraphicsClock = 0, kShaderClock = 1, kMemoryClock = 2 };

  virtual ~GpuManagementLibrary() = default;
  // Every call answers false when the library or the GPU does not answer.
  virtual int DeviceCount() = 0;
  virtual bool GetLocation(int index, Location* out) = 0;
  virtual bool Temperature(int index, unsigned* celsius) = 0;
  virtual bool FanPercent(int index, unsigned* percent) = 0;
  virtual bool Utilization(int index, unsigned* percent) = 0;
  virtual bool ClockMHz(int index, Clock clock, unsigned* mhz) = 0;
  virtual bool MaxClockMHz(int index, Clock clock, unsigned* mhz) = 0;
  virtual bool DefaultClockMHz(int index, Clock clock, unsigned* mhz) = 0;
  virtual bool MemoryTotal(int index, uint64_t* bytes) = 0;
  // The clocks the GPU runs applications at (memory and graphics, MHz).
  virtual bool SetApplicationClocks(int index, unsigned memoryMHz, unsigned graphicsMHz) = 0;
};

}  // namespace plat
