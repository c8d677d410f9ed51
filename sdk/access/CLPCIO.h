// A recognised Super I/O chip: maker and chip codes as its probe read them,
// the configuration mode it was found with (owned) and its hardware-monitor
// register spaces (registered with the facade, not owned).
#pragma once

#include <cstdint>

#include "sdk/core/CDevice.h"

class CConfigMode;
class CRegisterSpace;

enum LPCIOVendor : int32_t {
  LPCIO_NS = 0xFF02,
  LPCIO_WINBOND = 0x5CA3,
  LPCIO_VIA = 0x1106,
  LPCIO_FINTEK = 0x1934,
  LPCIO_ITE = 0x90,
  LPCIO_SMSC = 0x55,
};

class CLPCIO : public CDevice {
 public:
  CLPCIO() : CDevice(DEVICE_LPCIO) {}
  ~CLPCIO() override;
  virtual void Hook2(void*) {}
  virtual void Hook3(void*) {}

  // Fills vendorName and chipName from vendorCode and chipCode.
  void SetNames();

  char vendorName[256] = {};
  char chipName[256] = {};
  int32_t vendorCode = -1;
  int32_t chipCode = -1;
  int32_t revision = -1;
  CConfigMode* configMode = nullptr;
  CRegisterSpace* monitorSpaces[4] = {};

  // Extra facts the detection records for listings (not used by drivers).
  uint16_t configPort = 0;
  struct LogicalDevice {
    uint8_t ldn;
    uint16_t base;
    bool active;
  };
  LogicalDevice logicalDevices[16] = {};
  int logicalDeviceCount = 0;
};
