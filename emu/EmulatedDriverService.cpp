#include "emu/EmulatedDriverService.h"

#include "driver/DriverProtocol.h"
#include "emu/EmulatedMachine.h"

namespace emu {

EmulatedDriverService::EmulatedDriverService(EmulatedMachine& machine) : machine_(machine), device_(machine) {}

EmulatedDriverService::~EmulatedDriverService() = default;

bool EmulatedDriverService::Install(uint32_t* error) {
  FaultRule fired;
  if (machine_.Faults().Match(AccessKind::Install, kAnyAddress, true, &fired)) {
    *error = fired.value ? static_cast<uint32_t>(fired.value) : drv::kErrorAccessDenied;
    return false;
  }
  ++installCount;
  installed_ = true;
  return true;
}

drv::DriverDevice* EmulatedDriverService::OpenDevice(uint32_t* error) {
  if (!installed_) {
    *error = drv::kErrorFileNotFound;
    return nullptr;
  }
  ++openCount;
  ++openDevices;
  *error = 0;
  return &device_;
}

void EmulatedDriverService::CloseDevice(drv::DriverDevice* device) {
  if (device == &device_ && openDevices > 0) --openDevices;
}

bool EmulatedDriverService::Uninstall(bool stop, bool remove, uint32_t* error) {
  if (stop || remove) {
    device_.ReleaseAllMappings();
    installed_ = false;
  }
  *error = 0;
  return true;
}

std::string EmulatedDriverService::Describe() {
  return "emulated board: ports, MSRs, physical memory and PCI configuration are the board's own\n";
}

}  // namespace emu
