// The hardware-monitor interface (type 0x80): finds every source of board
// readings (monitoring chips behind Super I/O ports, chips on the SMBus,
// platform channels), creates one driver per source through the factory,
// lets each create its sensors and refreshes them on request. Detection is
// silent: it reads identification registers and writes only what the chip
// probes need to reach them (bank selects they put back).
#pragma once

#include <cstdint>

#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"

class CDevice;
class CHardwareMonitor;
class CIORequest;
class CRegisterSpace;
class CLPCIO;

// The voltage-control domain's share of detection: the board's voltage
// controllers and gauge, assembled once the monitors exist. Until that
// domain is built nothing is registered and the hook does nothing.
class CControllerAssembly {
 public:
  virtual ~CControllerAssembly() = default;
  // Creates the controllers, their outputs, and reads them once.
  virtual void Assemble() = 0;
  // Every controller's update operation.
  virtual void Refresh() = 0;
  virtual void Close() {}
};

class CHardwareMonitorInterface : public CInterface {
 public:
  using ControllerAssemblyFactory = CControllerAssembly* (*)(CHardwareMonitorInterface& monitors);
  static void SetControllerAssemblyFactory(ControllerAssemblyFactory factory);

  // The board id and checksum are taken from the mainboard, not from the
  // first two arguments; a negative `options` skips the SMBus scan.
  CHardwareMonitorInterface(int32_t boardId, int32_t boardChecksum, int32_t options);
  ~CHardwareMonitorInterface() override;

  // The detection run; nonzero when monitoring is available.
  int Init() override;
  void Close() override;

  // Once per polling cycle: every monitor by its refresh divider.
  void Refresh();
  void RefreshControllers();

  // The factory: builds the driver for a vendor and chip code with the
  // board's label tables, hands it the space and the request (which it now
  // owns) and appends it to the monitor list.
  CHardwareMonitor* CreateMonitor(CDevice* device, uint32_t vendor, uint32_t chipCode, CRegisterSpace* space,
                                  CIORequest* request);

  // Detection steps, public for tests; each returns the chips it found.
  int DiscoverSuperIO();
  int ProbeLPCDevices();
  int ProbeISA290();
  int ScanSMBusMonitors();

  const CTList<CHardwareMonitor>* Monitors() const { return monitors; }
  int32_t BoardId() const { return boardId_; }

  CTList<CHardwareMonitor>* monitors;  // owned, in detection order
  CControllerAssembly* controllers = nullptr;  // owned
  int32_t options;
  int32_t spare = 0;

 private:
  bool ProbeLPCDevice(CLPCIO* chip);
  int32_t boardId_ = -1;
  int32_t boardChecksum_ = -1;
};
