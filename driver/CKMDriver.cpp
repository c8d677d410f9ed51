#include "driver/CKMDriver.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "driver/DriverEndpoint.h"
#include "driver/DriverProtocol.h"
#include "platform/LockTimeouts.h"
#include "platform/Machine.h"

using namespace drv;

namespace {

void CopyText(char* dest, size_t size, const char* src) { std::snprintf(dest, size, "%s", src ? src : ""); }

}  // namespace

CKMDriver::CKMDriver() = default;

CKMDriver::~CKMDriver() {
  if (device) Release();
  if (mutex) plat::CloseMutex(mutex);
}

void CKMDriver::SetResourceIds(int win9x, int x86, int x64, int ia64) {
  resourceIds[0] = win9x;
  resourceIds[1] = x86;
  resourceIds[2] = x64;
  resourceIds[3] = ia64;
}

DriverService* CKMDriver::Service() const { return service_ ? service_ : &plat::CurrentMachine().DriverService(); }

bool CKMDriver::Open(const char* base, uint32_t* error, bool install) {
  uint32_t dummy = 0;
  if (!error) error = &dummy;
  *error = 0;

  // This platform speaks the request protocol of the NT realisation; the
  // privileged side is the selected machine's driver service, so there is
  // no image to write and no 32/64-bit variant to choose.
  platform = 2;
  isWow64 = false;
  isIA64 = false;
  if (mutex) plat::CloseMutex(mutex);
  int mutexError = 0;
  mutex = plat::CreateGlobalMutex(false, "kmio", &mutexError);

  if (base) {
    CopyText(baseDirectory, sizeof(baseDirectory), base);
  } else {
    char cwd[512] = {};
    CopyText(baseDirectory, sizeof(baseDirectory), getcwd(cwd, sizeof(cwd)) ? cwd : ".");
  }
  installFromResources = install;
  CopyText(driverDirectory, sizeof(driverDirectory), baseDirectory);
  driverFileName[0] = 0;
  CopyText(serviceName, sizeof(serviceName), "kmio135");
  char host[256] = {};
  gethostname(host, sizeof(host) - 1);
  CopyText(computerName, sizeof(computerName), host);

  // A channel whose previous holder died is free again on the second try.
  bool acquired = Acquire(error, plat::kChannelTimeoutMs);
  if (!acquired && *error == plat::kWaitAbandoned) acquired = Acquire(error, plat::kChannelTimeoutMs);
  if (!acquired) {
    Close(true, true);
    return false;
  }
  Release();
  return true;
}

bool CKMDriver::OpenDevice(uint32_t* error) {
  DriverService* service = Service();
  device = service->OpenDevice(error);
  if (!device && *error == kErrorFileNotFound) {
    serviceManager = true;
    bool installed = service->Install(error);
    serviceManager = false;
    if (installed) device = service->OpenDevice(error);
  }
  return device != nullptr;
}

bool CKMDriver::Acquire(uint32_t* error, uint32_t timeoutMs) {
  uint32_t dummy = 0;
  if (!error) error = &dummy;
  if (!mutex) {
    *error = KMIO_ERROR_NO_MUTEX;
    return false;
  }
  int waitError = 0;
  uint32_t wait = plat::WaitForMutex(mutex, timeoutMs, &waitError);
  if (wait != plat::kWaitObject0) {
    if (wait == plat::kWaitFailed) {
      *error = static_cast<uint32_t>(waitError);
    } else {
      *error = wait;
      // An abandoned wait handed the mutex over: give it back.
      if (wait == plat::kWaitAbandoned) plat::ReleaseMutex(mutex);
    }
    return false;
  }
  if (device) return true;  // nested acquisition by the same thread
  *error = 0;
  if (!OpenDevice(error)) {
    plat::ReleaseMutex(mutex);
    return false;
  }
  return true;
}

void CKMDriver::Release() {
  if (!mutex || !mutex->OwnedByCaller()) return;
  // Nested acquisitions keep the device open until the outermost release.
  plat::ReleaseMutex(mutex);
  if (!mutex->OwnedByCaller() && device) {
    Service()->CloseDevice(device);
    device = nullptr;
  }
}

void CKMDriver::Close(bool stop, bool remove) {
  if (mutex) {
    uint32_t wait = plat::WaitForMutex(mutex, plat::kChannelCloseTimeoutMs);
    if (wait == plat::kWaitObject0 || wait == plat::kWaitAbandoned) {
      if (device) {
        Service()->CloseDevice(device);
        device = nullptr;
      }
      if (stop || remove) {
        uint32_t error = 0;
        serviceManager = true;
        // The service's stop and removal complete before Uninstall returns
        // here, so no settling pause follows.
        Service()->Uninstall(stop, remove, &error);
        serviceManager = false;
      }
      while (mutex->OwnedByCaller()) plat::ReleaseMutex(mutex);
    }
    plat::CloseMutex(mutex);
  }
  mutex = nullptr;
}

bool CKMDriver::Request(uint32_t function, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                        void* userBuffer, uint32_t userSize) {
  if (!device) return false;
  uint32_t returned = 0;
  UserBuffer user{userBuffer, userSize};
  return device->IoControl(ControlCode(function), in, inSize, out, outSize, &returned, user) == kErrorSuccess;
}

bool CKMDriver::GetVersion(uint32_t* version) {
  if (!version || !device) return false;  // no channel: the output stays untouched
  *version = 0xFFFFFFFF;
  uint32_t out[1] = {0xFFFFFFFF};
  if (!Request(kGetVersion, nullptr, 0, out, sizeof(out))) return false;
  *version = out[0];
  return true;
}

// ---------------------------------------------------------------- ports

bool CKMDriver::ReadPort8(uint32_t port, uint8_t* value) {
  if (!device) return false;
  uint32_t in[1] = {port}, out[2] = {};
  *value = 0xFF;
  if (!Request(kReadPort8, in, sizeof(in), out, sizeof(out))) return false;
  *value = static_cast<uint8_t>(out[0]);
  return true;
}

bool CKMDriver::ReadPort16(uint32_t port, uint16_t* value) {
  if (!device) return false;
  uint32_t in[1] = {port}, out[2] = {};
  *value = 0xFFFF;
  if (!Request(kReadPort16, in, sizeof(in), out, sizeof(out))) return false;
  *value = static_cast<uint16_t>(out[0]);
  return true;
}

bool CKMDriver::ReadPort32(uint32_t port, uint32_t* value) {
  if (!device) return false;
  uint32_t in[1] = {port}, out[2] = {};
  *value = 0xFFFFFFFF;
  if (!Request(kReadPort32, in, sizeof(in), out, sizeof(out))) return false;
  *value = out[0];
  return true;
}

bool CKMDriver::WritePort8(uint32_t port, uint32_t value) {
  uint32_t in[2] = {port, value & 0xFF}, out[2];
  return Request(kWritePort8, in, sizeof(in), out, sizeof(out));
}

bool CKMDriver::WritePort16(uint32_t port, uint32_t value) {
  uint32_t in[2] = {port, value & 0xFFFF}, out[2];
  return Request(kWritePort16, in, sizeof(in), out, sizeof(out));
}

bool CKMDriver::WritePort32(uint32_t port, uint32_t value) {
  uint32_t in[2] = {port, value}, out[2];
  return Request(kWritePort32, in, sizeof(in), out, sizeof(out));
}

// ---------------------------------------------------------------- MSRs

bool CKMDriver::ReadMSR(uint32_t index, uint32_t* high, uint32_t* low) {
  if (!device) return false;
  *high = *low = 0xFFFFFFFF;
  uint32_t in[1] = {index}, out[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  if (!Request(kReadMsr, in, sizeof(in), out, sizeof(out))) return false;
  *low = out[0];
  *high = out[1];
  return !(out[0] == 0xFFFFFFFF && out[1] == 0xFFFFFFFF);
}

bool CKMDriver::WriteMSR(uint32_t index, uint32_t high, uint32_t low) {
  uint32_t in[3] = {index, high, low}, out[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  if (!Request(kWriteMsr, in, sizeof(in), out, sizeof(out))) return false;
  return out[0] != 0xFFFFFFFF;
}

// ---------------------------------------------------------------- physical memory

bool CKMDriver::ReadPhysical(uint32_t addressHigh, uint32_t addressLow, uint32_t length, void* buffer) {
  if (!device || length == 0 || !buffer) return false;
  uint32_t in[5] = {addressHigh, addressLow, length, PointerHigh(buffer), PointerLow(buffer)}, out[2];
  return Request(kReadPhysicalBlock, in, sizeof(in), out, sizeof(out), buffer, length);
}

bool CKMDriver::WritePhysical32(uint32_t addressHigh, uint32_t addressLow, uint32_t value) {
  uint32_t in[3] = {addressHigh, addressLow, value}, out[2];
  return Request(kWritePhysical32, in, sizeof(in), out, sizeof(out));
}

bool CKMDriver::ReadPhysical8(uint32_t addressHigh, uint32_t base, uint32_t offset, uint8_t* value) {
  if (!device) return false;
  *value = 0xFF;
  uint32_t dword = 0xFFFFFFFF;
  if (!ReadPhysical(addressHigh, base + offset, 4, &dword)) return false;
  *value = static_cast<uint8_t>(dword);
  return true;
}

bool CKMDriver::WritePhysical8(uint32_t addressHigh, uint32_t base, uint32_t offset, uint8_t value) {
  // A single byte-wide write: rewriting the dword that starts at the byte
  // would also store three neighbouring registers.
  const uint64_t address = (static_cast<uint64_t>(addressHigh) << 32 | base) + offset;
  uint32_t in[3] = {static_cast<uint32_t>(address >> 32), static_cast<uint32_t>(address), value}, out[2];
  return Request(kWritePhysical8, in, sizeof(in), out, sizeof(out));
}

bool CKMDriver::ReadPhysical32(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t* value) {
  if (!device) return false;
  *value = 0xFFFFFFFF;
  uint32_t dword = 0xFFFFFFFF;
  if (!ReadPhysical(addressHigh, base + offset, 4, &dword)) return false;
  *value = dword;
  return true;
}

bool CKMDriver::WritePhysical32At(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t value) {
  return WritePhysical32(addressHigh, base + offset, value);
}

bool CKMDriver::MapPhysical(uint32_t addressHigh, uint32_t addressLow, uint32_t length, uint64_t* handle) {
  if (!device) return false;
  uint32_t in[3] = {addressHigh, addressLow, length}, out[2] = {};
  if (!Request(kMapPhysical, in, sizeof(in), out, sizeof(out))) return false;
  *handle = static_cast<uint64_t>(out[1]) << 32 | out[0];
  return *handle != 0;
}

bool CKMDriver::UnmapPhysical(uint32_t addressHigh, uint32_t addressLow, uint32_t length) {
  uint32_t in[3] = {addressHigh, addressLow, length}, out[2];
  return Request(kUnmapPhysical, in, sizeof(in), out, sizeof(out));
}

// ---------------------------------------------------------------- PCI configuration

bool CKMDriver::ReadPCIConfig(uint32_t bus, uint32_t dev, uint32_t function, uint32_t offset, uint32_t length,
                              void* buffer) {
  if (!device || !buffer || length == 0) return false;
  // A short or failed transfer must not leave stale bytes that look like data.
  std::memset(buffer, 0xFF, length);
  uint32_t in[7] = {bus, dev, function, offset, length, PointerHigh(buffer), PointerLow(buffer)}, out[1] = {0};
  if (!Request(kReadPciConfig, in, sizeof(in), out, sizeof(out), buffer, length)) return false;
  return out[0] != 0;
}

bool CKMDriver::WritePCIConfig(uint32_t bus, uint32_t dev, uint32_t function, uint32_t offset, uint32_t length,
                               const void* buffer) {
  if (!device || !buffer || length == 0) return false;
  void* data = const_cast<void*>(buffer);  // the device only reads it
  uint32_t in[7] = {bus, dev, function, offset, length, PointerHigh(data), PointerLow(data)}, out[1] = {0};
  if (!Request(kWritePciConfig, in, sizeof(in), out, sizeof(out), data, length)) return false;
  return out[0] != 0;
}

bool CKMDriver::PortsConfigAccess(uint32_t address, bool write, uint32_t* value) {
  uint32_t saved = 0;
  if (!ReadPort32(drv::kPciConfigAddressPort, &saved)) return false;
  bool ok = WritePort32(drv::kPciConfigAddressPort, address & ~3u);
  if (ok) {
    if (write) {
      ok = WritePort32(drv::kPciConfigDataPort, *value);
    } else {
      ok = ReadPort32(drv::kPciConfigDataPort, value);
    }
  }
  bool restored = WritePort32(drv::kPciConfigAddressPort, saved);
  return ok && restored;
}

// Mechanism #1 addresses 256 buses, 32 devices, 8 functions and registers
// 0 to 0xFF; anything larger would silently reach another register.
static bool FitsMechanism1(uint32_t bus, uint32_t dev, uint32_t function, uint32_t offset) {
  return bus <= 0xFF && dev <= 0x1F && function <= 7 && offset <= 0xFF;
}

static uint32_t Mechanism1Address(uint32_t bus, uint32_t dev, uint32_t function, uint32_t offset) {
  return 0x80000000u | (bus & 0xFF) << 16 | (dev & 0x1F) << 11 | (function & 7) << 8 | (offset & 0xFC);
}

bool CKMDriver::ReadPCIConfigByPorts(uint32_t bus, uint32_t dev, uint32_t function, uint32_t offset,
                                     uint32_t* value) {
  if (!device) return false;
  *value = 0xFFFFFFFF;
  if (!FitsMechanism1(bus, dev, function, offset)) return false;
  uint32_t dword = 0xFFFFFFFF;
  if (!PortsConfigAccess(Mechanism1Address(bus, dev, function, offset), false, &dword)) return false;
  *value = dword >> (8 * (offset & 3));
  return true;
}

bool CKMDriver::ReadPCIConfigByPortsRaw(uint32_t address, uint32_t* value) {
  if (!device) return false;
  *value = 0xFFFFFFFF;
  uint32_t dword = 0xFFFFFFFF;
  if (!PortsConfigAccess(address, false, &dword)) return false;
  *value = dword >> (8 * (address & 3));
  return true;
}

bool CKMDriver::WritePCIConfigByPorts(uint32_t bus, uint32_t dev, uint32_t function, uint32_t offset,
                                      uint32_t value) {
  if ((offset & 3) || !FitsMechanism1(bus, dev, function, offset)) return false;
  return PortsConfigAccess(Mechanism1Address(bus, dev, function, offset), true, &value);
}

bool CKMDriver::WritePCIConfigByPortsRaw(uint32_t address, uint32_t value) {
  if (address & 3) return false;
  return PortsConfigAccess(address, true, &value);
}

// ---------------------------------------------------------------- compound operations

float CKMDriver::MeasureCounterRate(double referenceHz, uint32_t pmTimerPort, uint32_t msrIndex) {
  float answer = -1.0f;
  uint32_t in[2] = {pmTimerPort, msrIndex}, out[2] = {};
  if (Request(kMsrRate, in, sizeof(in), out, sizeof(out))) std::memcpy(&answer, &out[1], sizeof(answer));
  return static_cast<float>(answer / (drv::kPmTimerHz / 1e6) * referenceHz / 1e6);
}

bool CKMDriver::CallSMI(SMIRegisters* r) {
  uint32_t in[4] = {r->eax, r->ebx, r->ecx, r->edx}, out[4] = {};
  if (!Request(kCallSmi, in, sizeof(in), out, sizeof(out))) return false;
  if (out[0] == 0xFFFF || std::memcmp(in, out, sizeof(in)) == 0) return false;
  r->eax = out[0];
  r->ebx = out[1];
  r->ecx = out[2];
  r->edx = out[3];
  return true;
}

int CKMDriver::SMBusReadByteIntel(uint32_t base, uint32_t slave, uint32_t command, uint8_t* value) {
  if (!device) return 2;
  *value = 0xFF;
  uint32_t in[3] = {base, slave, command}, out[4] = {};
  if (!Request(kSmbusReadByteIntel, in, sizeof(in), out, sizeof(out))) return 2;
  if (out[0] != 1) {
    *value = 0xAA;
    return 0;
  }
  *value = static_cast<uint8_t>(out[1]);
  return 1;
}

int CKMDriver::SMBusReadByteNVIDIA(uint32_t base, uint32_t slave, uint32_t command, uint8_t* value) {
  if (!device) return 2;
  *value = 0xFF;
  uint32_t in[3] = {base, slave, command}, out[4] = {};
  if (!Request(kSmbusReadByteNvidia, in, sizeof(in), out, sizeof(out))) return 2;
  *value = static_cast<uint8_t>(out[1]);
  return out[0] == 1 ? 1 : 0;
}
