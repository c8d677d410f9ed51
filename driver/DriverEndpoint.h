// What the driver channel talks to: a driver service that can be installed,
// opened and removed, and the open device that answers control requests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace drv {

// The caller's data buffer of a request that carries a buffer pointer
// (physical block read, PCI configuration read and write). The device refuses
// pointers that do not lie inside it, as a kernel driver probes user memory.
struct UserBuffer {
  void* data = nullptr;
  size_t size = 0;
};

class DriverDevice {
 public:
  virtual ~DriverDevice() = default;
  // One buffered control request. Returns 0 on success or a system error;
  // `returned` receives the number of output bytes written.
  virtual uint32_t IoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                             uint32_t* returned, UserBuffer user) = 0;
};

class DriverService {
 public:
  virtual ~DriverService() = default;
  // Makes the driver reachable (the service is created and started).
  virtual bool Install(uint32_t* error) = 0;
  virtual bool IsInstalled() = 0;
  // Opens the device; fails with kErrorFileNotFound when it is not installed.
  virtual DriverDevice* OpenDevice(uint32_t* error) = 0;
  virtual void CloseDevice(DriverDevice* device) = 0;
  // Stops and/or removes the service.
  virtual bool Uninstall(bool stop, bool remove, uint32_t* error) = 0;
  // One line per facility: what is reachable and what is not, and why.
  virtual std::string Describe() = 0;
};

}  // namespace drv
