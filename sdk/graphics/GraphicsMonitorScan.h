// The graphics step of the monitor detection: for every display adapter a
// monitor per display API that gives readings, and the fan/thermal and
// regulator chips on the card's I2C buses (an Analog Devices controller at
// 0x2E on NVIDIA Fermi cards, a Volterra VT1165 at 0x70 on ATI R8xx cards).
#pragma once

class CHardwareMonitorInterface;

// Monitors created.
int ScanGraphicsMonitors(CHardwareMonitorInterface& monitors);
