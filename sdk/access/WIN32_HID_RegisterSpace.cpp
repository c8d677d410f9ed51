#include "sdk/access/WIN32_HID_RegisterSpace.h"

#include <cstdio>

WIN32_HID_RegisterSpace::WIN32_HID_RegisterSpace(const char* devicePath, uint32_t writeSize, uint32_t readSize)
    : CRegisterSpace(REGSPACE_WIN32_HID, nullptr), writeReportSize(writeSize), readReportSize(readSize) {
  std::snprintf(path, sizeof(path), "%s", devicePath ? devicePath : "");
}

int WIN32_HID_RegisterSpace::Open() {
  CloseDevice();
  if (!Available()) return 0;
  return 0;
}

int WIN32_HID_RegisterSpace::Write(const uint8_t*) { return 0; }

int WIN32_HID_RegisterSpace::Read(uint8_t*) { return 0; }

void WIN32_HID_RegisterSpace::CloseDevice() { writeHandle = readHandle = -1; }
