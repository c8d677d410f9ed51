// The driver channel: the only way to I/O ports, MSRs, physical memory and
// PCI configuration space. Every hardware operation is one control request
// to the driver device, which is open only while the caller holds the
// channel (between Acquire and Release).
#pragma once

#include <cstdint>

#include "driver/DriverProtocol.h"
#include "platform/GlobalMutex.h"

namespace drv {
class DriverDevice;
class DriverService;
}  // namespace drv

// Channel error codes.
inline constexpr uint32_t KMIO_ERROR_IMAGE_WRITE = 0x5001;
inline constexpr uint32_t KMIO_ERROR_UNSUPPORTED_PLATFORM = 0x5002;
inline constexpr uint32_t KMIO_ERROR_NO_MUTEX = 0x5003;

inline constexpr uint32_t KMIO_DRIVER_VERSION = drv::kDriverVersion;

// Registers of a system management interrupt call.
struct SMIRegisters {
  uint32_t eax, ebx, ecx, edx;
};

class CKMDriver {
 public:
  CKMDriver();
  virtual ~CKMDriver();
  CKMDriver(const CKMDriver&) = delete;
  CKMDriver& operator=(const CKMDriver&) = delete;

  // Lifecycle.
  bool Open(const char* baseDirectory, uint32_t* error, bool installFromResources);
  bool Acquire(uint32_t* error, uint32_t timeoutMs);
  void Release();
  void Close(bool stop, bool remove);
  bool GetVersion(uint32_t* version);

  void SetResourceIds(int win9x, int x86, int x64, int ia64);
  bool IsAcquired() const { return device != nullptr; }
  // The service the channel uses (the selected machine's, unless set).
  void SetService(drv::DriverService* service) { service_ = service; }
  drv::DriverService* Service() const;

  // Ports.
  bool ReadPort8(uint32_t port, uint8_t* value);
  bool ReadPort16(uint32_t port, uint16_t* value);
  bool ReadPort32(uint32_t port, uint32_t* value);
  bool WritePort8(uint32_t port, uint32_t value);
  bool WritePort16(uint32_t port, uint32_t value);
  bool WritePort32(uint32_t port, uint32_t value);

  // Model-specific registers, on the processor the calling thread runs on.
  bool ReadMSR(uint32_t index, uint32_t* high, uint32_t* low);
  bool WriteMSR(uint32_t index, uint32_t high, uint32_t low);

  // Physical memory.
  bool ReadPhysical(uint32_t addressHigh, uint32_t addressLow, uint32_t length, void* buffer);
  bool WritePhysical32(uint32_t addressHigh, uint32_t addressLow, uint32_t value);
  bool ReadPhysical8(uint32_t addressHigh, uint32_t base, uint32_t offset, uint8_t* value);
  bool WritePhysical8(uint32_t addressHigh, uint32_t base, uint32_t offset, uint8_t value);
  bool ReadPhysical32(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t* value);
  bool WritePhysical32At(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t value);
  bool MapPhysical(uint32_t addressHigh, uint32_t addressLow, uint32_t length, uint64_t* handle);
  bool UnmapPhysical(uint32_t addressHigh, uint32_t addressLow, uint32_t length);

  // PCI configuration space.
  bool ReadPCIConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t length,
                     void* buffer);
  bool WritePCIConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t length,
                      const void* buffer);
  bool ReadPCIConfigByPorts(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t* value);
  bool ReadPCIConfigByPortsRaw(uint32_t address, uint32_t* value);
  bool WritePCIConfigByPorts(uint32_t bus, uint32_t device, uint32_t function, uint32_t offset, uint32_t value);
  bool WritePCIConfigByPortsRaw(uint32_t address, uint32_t value);

  // Compound operations done inside the driver.
  float MeasureCounterRate(double referenceHz, uint32_t pmTimerPort, uint32_t msrIndex);
  bool CallSMI(SMIRegisters* registers);
  int SMBusReadByteIntel(uint32_t base, uint32_t slave, uint32_t command, uint8_t* value);
  int SMBusReadByteNVIDIA(uint32_t base, uint32_t slave, uint32_t command, uint8_t* value);

  // One raw request (used by the operations above and by diagnostics).
  bool Request(uint32_t function, const void* in, uint32_t inSize, void* out, uint32_t outSize,
               void* userBuffer = nullptr, uint32_t userSize = 0);

  // Fields.
  drv::DriverDevice* device = nullptr;  // open only while acquired
  bool serviceManager = false;          // true only during install and uninstall
  bool installFromResources = false;
  char computerName[512] = {};
  char baseDirectory[512] = {};
  char driverDirectory[512] = {};
  char driverFileName[256] = {};
  char serviceName[64] = {};
  int32_t platform = 0;
  bool isWow64 = false;
  bool isIA64 = false;
  plat::MutexHandle mutex = nullptr;
  int32_t resourceIds[4] = {-1, -1, -1, -1};

 private:
  bool OpenDevice(uint32_t* error);
  bool PortsConfigAccess(uint32_t address, bool write, uint32_t* value);

  drv::DriverService* service_ = nullptr;
};
