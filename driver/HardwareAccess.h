// Single hardware accesses, as a platform's privileged mechanism offers them.
// The driver device builds every request of the protocol from these.
#pragma once

#include <cstdint>

namespace drv {

class HardwareAccess {
 public:
  virtual ~HardwareAccess() = default;

  virtual bool PortRead(uint16_t port, int width, uint32_t* value) = 0;  // width 1, 2 or 4
  virtual bool PortWrite(uint16_t port, int width, uint32_t value) = 0;

  // On the logical processor the calling thread runs on.
  virtual bool MsrRead(uint32_t index, uint64_t* value) = 0;
  virtual bool MsrWrite(uint32_t index, uint64_t value) = 0;

  virtual bool PhysicalRead(uint64_t address, void* buffer, uint32_t length) = 0;
  virtual bool PhysicalWrite(uint64_t address, const void* buffer, uint32_t length) = 0;
  // A kept mapping: a nonzero handle, or 0 when the range cannot be mapped.
  virtual uint64_t PhysicalMap(uint64_t address, uint32_t length) = 0;
  virtual bool PhysicalReadMapped(uint64_t handle, uint32_t offset, void* buffer, uint32_t length) = 0;
  virtual void PhysicalUnmap(uint64_t handle, uint32_t length) = 0;

  // Bytes transferred; 0 on failure.
  virtual uint32_t PciConfigRead(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, void* buffer,
                                 uint32_t length) = 0;
  virtual uint32_t PciConfigWrite(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset,
                                  const void* buffer, uint32_t length) = 0;

  // Raises a system management interrupt with the four registers loaded;
  // false when the platform cannot.
  virtual bool CallSmi(uint32_t regs[4]) = 0;

  virtual void StallMicroseconds(uint32_t us) = 0;
};

}  // namespace drv
