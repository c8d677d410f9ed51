// A source of answers about display adapters: a vendor SDK or direct access
// to a graphics chip's registers. Every backend answers only the operations
// it can; the base answers "not available" (false, or -1 for counts and
// identifiers) for the rest. Slot operations take the adapter and use the
// handle this API was given for it (CDisplayAdapter::AddAPI); an adapter
// the API does not serve gets "not available".
#pragma once

#include <cstdint>
#include <string>

class CDisplayAdapter;

enum DisplayAPIType : uint32_t {
  DISPLAYAPI_BASE = 0x10000,
  DISPLAYAPI_NVAPI = 0x20004,
  DISPLAYAPI_NVIDIA_IO = 0x20005,
  DISPLAYAPI_ADL = 0x30006,
  DISPLAYAPI_ATI_IO = 0x30007,
  DISPLAYAPI_INTEL_IO = 0x40008,
};

// Memory type codes of GetMemoryType.
enum GpuMemoryType : int {
  GPUMEM_DDR = 1,
  GPUMEM_DDR2 = 2,
  GPUMEM_DDR3 = 3,
  GPUMEM_GDDR3 = 48,
  GPUMEM_GDDR4 = 64,
  GPUMEM_GDDR5 = 80,
};

class CDisplayAPI {
 public:
  explicit CDisplayAPI(uint32_t type = DISPLAYAPI_BASE, const char* apiName = "");
  CDisplayAPI(const CDisplayAPI&) = delete;
  CDisplayAPI& operator=(const CDisplayAPI&) = delete;

  virtual ~CDisplayAPI() = default;
  // Attaches to the adapters it can serve; false when the backend is absent.
  virtual bool Init() { return false; }
  virtual void Close() {}
  virtual bool Reset() { return false; }
  // Appends its section of the text report.
  virtual void Report(std::string* /*out*/) {}
  virtual bool ReportName(std::string* out);
  virtual bool GetTemperature(CDisplayAdapter*, float* /*celsius*/) { return false; }
  virtual bool GetFanRPM(CDisplayAdapter*, int* /*rpm*/) { return false; }
  virtual bool GetFanPercent(CDisplayAdapter*, int* /*percent*/) { return false; }
  virtual bool GetLoad(CDisplayAdapter*, int* /*percent*/) { return false; }
  virtual bool GetPStateVoltage(CDisplayAdapter*, int /*state*/, int /*domain*/, float* /*volts*/) { return false; }
  virtual bool GetVoltage(CDisplayAdapter*, float* /*volts*/) { return false; }
  virtual int GetPStateCount(CDisplayAdapter*) { return -1; }
  virtual int GetPStateId(CDisplayAdapter*, int /*index*/) { return -1; }
  virtual bool GetCurrentPState(CDisplayAdapter*, int* /*index*/, int* /*id*/) { return false; }
  virtual bool GetPStateBaseVoltage(CDisplayAdapter*, int /*state*/, int /*domain*/, float* /*volts*/) {
    return false;
  }
  virtual bool SetPStateVoltage(CDisplayAdapter*, int /*state*/, int /*domain*/, float /*volts*/) { return false; }
  virtual void Slot18() {}
  virtual int GetPerfLevelCount(CDisplayAdapter*) { return 1; }
  virtual bool GetPerfLevelName(CDisplayAdapter*, int /*level*/, char* /*text*/, unsigned /*size*/) { return false; }
  virtual int GetCurrentPerfLevel(CDisplayAdapter*) { return 0; }
  // Clocks in MHz; min and max -1 when the API does not know them.
  virtual bool GetCoreClock(CDisplayAdapter*, int /*level*/, float* /*mhz*/, float* /*min*/, float* /*max*/) {
    return false;
  }
  virtual bool GetShaderClock(CDisplayAdapter*, int /*level*/, float* /*mhz*/, float* /*min*/, float* /*max*/) {
    return false;
  }
  virtual bool GetMemoryClock(CDisplayAdapter*, int /*level*/, float* /*mhz*/, float* /*min*/, float* /*max*/) {
    return false;
  }
  virtual bool GetDefaultCoreClock(CDisplayAdapter*, int /*level*/, float* /*mhz*/) { return false; }
  virtual bool GetDefaultShaderClock(CDisplayAdapter*, int /*level*/, float* /*mhz*/) { return false; }
  virtual bool GetDefaultMemoryClock(CDisplayAdapter*, int /*level*/, float* /*mhz*/) { return false; }
  virtual bool SetCoreClock(CDisplayAdapter*, int /*level*/, float /*mhz*/) { return false; }
  virtual bool SetShaderClock(CDisplayAdapter*, int /*level*/, float /*mhz*/) { return false; }
  virtual bool SetMemoryClock(CDisplayAdapter*, int /*level*/, float /*mhz*/) { return false; }
  virtual bool GetMemoryType(CDisplayAdapter*, int* /*code*/) { return false; }
  virtual bool GetMemorySize(CDisplayAdapter*, int* /*megabytes*/) { return false; }
  virtual bool GetBusWidth(CDisplayAdapter*, int* /*bits*/) { return false; }
  virtual bool I2CRead(CDisplayAdapter*, int /*port*/, int /*address*/, int /*reg*/, uint8_t* /*value*/) {
    return false;
  }

  char name[256] = {};
  uint32_t apiType;

 protected:
  // This API's handle for the adapter, or -1 when it does not serve it.
  int HandleFor(CDisplayAdapter* adapter) const;
  bool Serves(CDisplayAdapter* adapter) const;
};
