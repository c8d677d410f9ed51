// The platform channels of monitoring data that are not chips on a bus or
// port: other makers' embedded controllers and notebook interfaces,
// south-bridge and chipset thermal blocks, HID power supplies and coolers,
// the operating system's battery interface. Each detector states what it
// looks for; most of the facilities they need are not offered on this
// platform, so those report none found and create nothing. The operating
// system's batteries and power supplies come through the machine.
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
