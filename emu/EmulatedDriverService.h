// The driver service of an emulated machine: installed or not, and the
// driver device over the machine's hardware.
#pragma once

#include <memory>

#include "driver/DriverEndpoint.h"
#include "driver/KmioDevice.h"

namespace emu {

class EmulatedMachine;

class EmulatedDriverService : public drv::DriverService {
 public:
  explicit EmulatedDriverService(EmulatedMachine& machine);
  ~EmulatedDriverService() override;

  bool Install(uint32_t* error) override;
  bool IsInstalled() override { return installed_; }
  drv::DriverDevice* OpenDevice(uint32_t* error) override;
  void CloseDevice(drv::DriverDevice* device) override;
  bool Uninstall(bool stop, bool remove, uint32_t* error) override;
  std::string Describe() override;

  // What the tests look at.
  int installCount = 0;
  int openCount = 0;
  int openDevices = 0;
  drv::KmioDevice& Device() { return device_; }

 private:
  EmulatedMachine& machine_;
  drv::KmioDevice device_;
  bool installed_ = false;
};

}  // namespace emu
