// The platform channels of monitoring data that are not chips on a bus or
// port: other makers' embedded controllers and notebook interfaces,
// south-bridge and chipset thermal blocks, HID power supplies and coolers,
// the operating system's battery interface. Each detector states what it
// looks for; on this platform the facilities they need are not offered, so
// each reports none found and creates nothing.
#pragma once

class CHardwareMonitorInterface;

struct PlatformDetector {
  const char* name;
  const char* lookingFor;
  // Monitors created (0: none found).
  int (*detect)(CHardwareMonitorInterface& monitors, const char** whyNone);
};

// In detection order.
extern const PlatformDetector kPlatformDetectors[];
extern const int kPlatformDetectorCount;

// Runs every detector in order; returns how many monitors they created.
int RunPlatformDetectors(CHardwareMonitorInterface& monitors);
