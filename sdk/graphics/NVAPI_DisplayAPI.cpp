#include "sdk/graphics/NVAPI_DisplayAPI.h"

#include <cmath>

#include "platform/GraphicsDevices.h"
#include "platform/Machine.h"
#include "platform/SmbusAdapter.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/graphics/CDisplayAdapter.h"
#include "sdk/graphics/CDisplayInterface.h"
#include "sdk/graphics/GraphicsI2CReport.h"
#include "sdk/graphics/DisplayAPI_I2CRegisterSpace.h"

using plat::GpuManagementLibrary;

NVAPI_DisplayAPI::NVAPI_DisplayAPI(CDisplayInterface* owner)
    : CDisplayAPI(DISPLAYAPI_NVAPI, "NVIDIA NVAPI"), interface_(owner) {}

NVAPI_DisplayAPI::~NVAPI_DisplayAPI() = default;

void NVAPI_DisplayAPI::SetLibrary(std::unique_ptr<GpuManagementLibrary> library) { library_ = std::move(library); }

bool NVAPI_DisplayAPI::Init() {
  if (!library_) library_ = plat::CurrentMachine().LoadGpuManagementLibrary();
  if (!library_) return false;
  return Enumerate();
}

bool NVAPI_DisplayAPI::Reset() { return library_ && Enumerate(); }

void NVAPI_DisplayAPI::Close() { library_.reset(); }

// A GPU serves the adapters whose PCI vendor and device (else subsystem)
// identifiers and bus number match it; a GPU matching no adapter is left out.
bool NVAPI_DisplayAPI::Enumerate() {
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  const int count = library_->DeviceCount();
  for (int i = 0; i < count; ++i) {
    GpuManagementLibrary::Location loc;
    if (!library_->GetLocation(i, &loc)) continue;
    for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_NVIDIA)) {
      const CPCIDevice* p = a->PciDevice();
      if (!p || p->bus != loc.bus) continue;
      const uint32_t id = static_cast<uint32_t>(p->DeviceId()) << 16 | p->VendorId();
      if (id != loc.pciDeviceId && id != loc.pciSubsystemId) continue;
      if (a->HasAPI(this)) continue;
      a->AddAPI(this, i);
      if (!a->apiI2C) {
        auto* space = new DisplayAPI_I2CRegisterSpace(this, a);
        sdk.AddRegisterSpace(space);
        a->apiI2C = space;
      }
    }
  }
  return true;
}

bool NVAPI_DisplayAPI::GetTemperature(CDisplayAdapter* a, float* celsius) {
  unsigned t = 0;
  if (!library_ || !Serves(a) || !library_->Temperature(HandleFor(a), &t) || t == 0) return false;
  *celsius = static_cast<float>(t);
  return true;
}

bool NVAPI_DisplayAPI::GetFanPercent(CDisplayAdapter* a, int* percent) {
  unsigned p = 0;
  if (!library_ || !Serves(a) || !library_->FanPercent(HandleFor(a), &p)) return false;
  *percent = static_cast<int>(p);
  return true;
}

bool NVAPI_DisplayAPI::GetLoad(CDisplayAdapter* a, int* percent) {
  unsigned p = 0;
  if (!library_ || !Serves(a) || !library_->Utilization(HandleFor(a), &p)) return false;
  *percent = static_cast<int>(p);
  return true;
}

bool NVAPI_DisplayAPI::Clock(CDisplayAdapter* a, int level, int clock, float* mhz, float* min, float* max) {
  unsigned now = 0, top = 0;
  const auto c = static_cast<GpuManagementLibrary::Clock>(clock);
  if (level != 0 || !library_ || !Serves(a) || !library_->ClockMHz(HandleFor(a), c, &now) || now == 0) return false;
  *mhz = static_cast<float>(now);
  *min = -1;
  *max = library_->MaxClockMHz(HandleFor(a), c, &top) && top ? static_cast<float>(top) : -1.0f;
  return true;
}

bool NVAPI_DisplayAPI::DefaultClock(CDisplayAdapter* a, int level, int clock, float* mhz) {
  unsigned v = 0;
  if (level != 0 || !library_ || !Serves(a) ||
      !library_->DefaultClockMHz(HandleFor(a), static_cast<GpuManagementLibrary::Clock>(clock), &v) || v == 0)
    return false;
  *mhz = static_cast<float>(v);
  return true;
}

bool NVAPI_DisplayAPI::GetCoreClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  return Clock(a, level, GpuManagementLibrary::kGraphicsClock, mhz, min, max);
}
bool NVAPI_DisplayAPI::GetShaderClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  return Clock(a, level, GpuManagementLibrary::kShaderClock, mhz, min, max);
}
bool NVAPI_DisplayAPI::GetMemoryClock(CDisplayAdapter* a, int level, float* mhz, float* min, float* max) {
  return Clock(a, level, GpuManagementLibrary::kMemoryClock, mhz, min, max);
}
bool NVAPI_DisplayAPI::GetDefaultCoreClock(CDisplayAdapter* a, int level, float* mhz) {
  return DefaultClock(a, level, GpuManagementLibrary::kGraphicsClock, mhz);
}
bool NVAPI_DisplayAPI::GetDefaultShaderClock(CDisplayAdapter* a, int level, float* mhz) {
  return DefaultClock(a, level, GpuManagementLibrary::kShaderClock, mhz);
}
bool NVAPI_DisplayAPI::GetDefaultMemoryClock(CDisplayAdapter* a, int level, float* mhz) {
  return DefaultClock(a, level, GpuManagementLibrary::kMemoryClock, mhz);
}

// The library sets graphics and memory application clocks together: the
// other one keeps its current value, read first (no write after a failed read).
bool NVAPI_DisplayAPI::SetCoreClock(CDisplayAdapter* a, int level, float mhz) {
  unsigned memory = 0;
  if (level != 0 || !library_ || !Serves(a) || !(mhz > 0) ||
      !library_->ClockMHz(HandleFor(a), GpuManagementLibrary::kMemoryClock, &memory) || !memory)
    return false;
  return library_->SetApplicationClocks(HandleFor(a), memory, static_cast<unsigned>(std::lround(mhz)));
}

bool NVAPI_DisplayAPI::SetMemoryClock(CDisplayAdapter* a, int level, float mhz) {
  unsigned graphics = 0;
  if (level != 0 || !library_ || !Serves(a) || !(mhz > 0) ||
      !library_->ClockMHz(HandleFor(a), GpuManagementLibrary::kGraphicsClock, &graphics) || !graphics)
    return false;
  return library_->SetApplicationClocks(HandleFor(a), static_cast<unsigned>(std::lround(mhz)), graphics);
}

bool NVAPI_DisplayAPI::GetMemorySize(CDisplayAdapter* a, int* megabytes) {
  uint64_t bytes = 0;
  if (!library_ || !Serves(a) || !library_->MemoryTotal(HandleFor(a), &bytes) || !bytes) return false;
  *megabytes = static_cast<int>(bytes >> 20);
  return true;
}

void NVAPI_DisplayAPI::Report(std::string* out) {
  std::vector<CDisplayAdapter*> served;
  for (CDisplayAdapter* a : interface_->AdaptersOf(DISPLAY_VENDOR_NVIDIA))
    if (Serves(a)) served.push_back(a);
  WriteGraphicsI2CReport(served, out);
}

// The driver's I2C adapters of the GPU in its order are the card's ports.
bool NVAPI_DisplayAPI::I2CRead(CDisplayAdapter* a, int port, int address, int reg, uint8_t* value) {
  *value = 0xFF;
  const CPCIDevice* p = a ? a->PciDevice() : nullptr;
  if (!p || !Serves(a) || port < 0 || address < 0 || address > 0x7F || reg < 0 || reg > 0xFF) return false;
  auto adapters = plat::CurrentMachine().GraphicsI2CAdapters(p->bus, p->device, p->function);
  if (port >= static_cast<int>(adapters.size())) return false;
  return adapters[static_cast<size_t>(port)]->ReadByte(static_cast<uint8_t>(address), static_cast<uint8_t>(reg),
                                                       value);
}
