// A bare emulated machine for the display tests: graphics cards are added
// by the test, and the NVIDIA management library the machine offers is a
// fake the test fills in (none unless it does).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "driver/CKMDriver.h"
#include "emu/EmulatedMachine.h"
#include "platform/GraphicsDevices.h"
#include "platform/Machine.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"

namespace graphicstest {

struct FakeGpu {
  uint32_t bus;
  uint32_t pciDeviceId;  // device << 16 | vendor
  unsigned temperature = 0;
  unsigned coreMHz = 0, memoryMHz = 0;
};

class FakeNvml : public plat::GpuManagementLibrary {
 public:
  explicit FakeNvml(std::vector<FakeGpu> g) : gpus(std::move(g)) {}
  int DeviceCount() override { return static_cast<int>(gpus.size()); }
  bool GetLocation(int i, Location* out) override {
    if (!Valid(i)) return false;
    out->bus = gpus[i].bus;
    out->pciDeviceId = gpus[i].pciDeviceId;
    out->pciSubsystemId = 0;
    return true;
  }
  bool Temperature(int i, unsigned* c) override { return Valid(i) && (*c = gpus[i].temperature, true); }
  bool FanPercent(int, unsigned*) override { return false; }
  bool Utilization(int, unsigned*) override { return false; }
  bool ClockMHz(int i, Clock c, unsigned* mhz) override {
    if (!Valid(i)) return false;
    *mhz = c == kGraphicsClock ? gpus[i].coreMHz : c == kMemoryClock ? gpus[i].memoryMHz : 0;
    return *mhz != 0;
  }
  bool MaxClockMHz(int, Clock, unsigned*) override { return false; }
  bool DefaultClockMHz(int, Clock, unsigned*) override { return false; }
  bool MemoryTotal(int, uint64_t*) override { return false; }
  bool SetApplicationClocks(int i, unsigned memoryMHz, unsigned graphicsMHz) override {
    if (!Valid(i)) return false;
    gpus[i].memoryMHz = memoryMHz;
    gpus[i].coreMHz = graphicsMHz;
    return true;
  }
  std::vector<FakeGpu> gpus;

 private:
  bool Valid(int i) const { return i >= 0 && i < static_cast<int>(gpus.size()); }
};

class GraphicsMachine : public emu::EmulatedMachine {
 public:
  GraphicsMachine() : emu::EmulatedMachine(emu::TimeBase::Mode::Virtual) {}
  std::unique_ptr<plat::GpuManagementLibrary> LoadGpuManagementLibrary() override {
    if (!haveNvml) return nullptr;
    return std::make_unique<FakeNvml>(nvmlGpus);
  }
  bool haveNvml = false;
  std::vector<FakeGpu> nvmlGpus;
};

// The machine as the current one, with the driver channel acquired and the
// facade using it; the PCI interface is created by Start().
class GraphicsSdk {
 public:
  GraphicsSdk() : machine(std::make_shared<GraphicsMachine>()) { plat::SetCurrentMachine(machine); }
  ~GraphicsSdk() {
    QUARNSDK::ReleaseInstance();
    if (acquired) driver.Release();
    driver.Close(true, true);
    plat::SetCurrentMachine(nullptr);
  }
  bool Start() {
    uint32_t error = 0;
    if (!driver.Open("/tmp", &error, true) || !driver.Acquire(&error, 2000)) return false;
    acquired = true;
    QUARNSDK::GetInstance()->SetDriver(&driver);
    if (!QUARNSDK::GetInstance()->CreatePCIInterface()) return false;
    QUARNSDK::GetInstance()->pciInterface->ScanBus();
    return true;
  }
  QUARNSDK& Sdk() { return *QUARNSDK::GetInstance(); }

  std::shared_ptr<GraphicsMachine> machine;
  CKMDriver driver;
  bool acquired = false;
};

}  // namespace graphicstest
