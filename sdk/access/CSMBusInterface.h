// The SMBus (interface type 0x2): makes hidden host controllers visible for
// the program's lifetime, finds the hosts and the SPD-only hosts of the
// chipset and memory controllers, finds the board's bus switches, and
// probes slave addresses into CSMBusDevice records.
#pragma once

#include <cstdint>

#include "platform/GlobalMutex.h"
#include "platform/LockTimeouts.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"

class CCommand;
class CMultiplexer;
class CPCIDevice;
class CSMBusDevice;
class CSMBusRegisterSpace;
class CRegisterSpace;
class QUARNSDK;

class CSMBusInterface : public CInterface {
 public:
  static constexpr uint32_t kLockWaitMs = plat::kBusTransactionTimeoutMs;

  CSMBusInterface();
  ~CSMBusInterface() override;
  int Init() override;
  // Restores the controller state the interface changed.
  void Close() override;

  // Probes `slave` with a byte read of `command` on every host (through
  // every channel of every switch); returns how many answered, appending
  // their records to `list` when given.
  int FindSMBusDevices(uint8_t slave, CTList<CSMBusDevice>* list, uint8_t command);
  CSMBusDevice* FindSMBusDevice(uint8_t slave, int* count);
  int ProbeAddress(CSMBusRegisterSpace* space, uint8_t slave, CTList<CSMBusDevice>* list);
  int FindSMBusSpaces(uint32_t controllerId, CTList<CSMBusRegisterSpace>* list);
  CSMBusDevice* FindSMBusDeviceRecord(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t channel, uint8_t slave);

  plat::MutexHandle mutex = nullptr;
  CTList<CMultiplexer>* multiplexers;
  CTList<CCommand>* commands;

 private:
  void UnhideControllers(QUARNSDK& sdk);
  void DetectMultiplexers(QUARNSDK& sdk);
  // One probe of one host on the channel selected now; keeps the record
  // in step with the answer.
  bool ProbeOne(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t channel, uint8_t slave, uint8_t command,
                CTList<CSMBusDevice>* list);
};

// Host detection (the tables of PCI ids), in SMBusHostDetection.cpp.
void DetectSMBusHosts(QUARNSDK& sdk);
void DetectSPDHosts(QUARNSDK& sdk);

// The "Access_SMBUS.HTP.Method" mutex of the running interface, or one of
// this process's own when there is no interface.
plat::MutexHandle SMBusMutex();
