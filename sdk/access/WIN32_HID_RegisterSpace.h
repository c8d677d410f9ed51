// A USB HID monitoring device reached through its device path, exchanging
// fixed-size reports. HID devices are not reachable through this program's
// hardware channel on Linux, so Open always reports "not available" and
// every report transfer fails; the class keeps its shape so that monitor
// code written against it compiles and degrades the usual way.
#pragma once

#include <cstdint>

#include "sdk/access/CRegisterSpace.h"

class WIN32_HID_RegisterSpace : public CRegisterSpace {
 public:
  WIN32_HID_RegisterSpace(const char* devicePath, uint32_t writeReportSize, uint32_t readReportSize);
  ~WIN32_HID_RegisterSpace() override { CloseDevice(); }
  // 0: the device cannot be opened here.
  virtual int Open();
  // Both need their handle; exactly the report size is transferred.
  virtual int Write(const uint8_t* buffer);
  virtual int Read(uint8_t* buffer);
  virtual void CloseDevice();

  static bool Available() { return false; }

  char path[512] = {};
  uint32_t writeReportSize;
  uint32_t readReportSize;
  int writeHandle = -1;
  int readHandle = -1;
};
