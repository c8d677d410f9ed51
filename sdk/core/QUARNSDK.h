// The SDK facade: one per process. It owns everything the SDK creates
// (interfaces, I/O and register spaces, devices, sensors, clock generators,
// timers, controller-state commands, memory maps), finds objects by key,
// creates the interfaces in the order the application asks for, tears
// everything down in a fixed order and provides the cross-process SDK lock.
#pragma once

#include <cstdint>

#include "platform/GlobalMutex.h"
#include "sdk/core/CTList.h"

class CKMDriver;
class CCommand;
class CMemoryMap;
class CIOSpace;
class CRegisterSpace;
class CInterface;
class CDevice;
class CTimer;
class CSensor;
class CPLL;
class CMainboard;
class CPCIInterface;
class CACPIInterface;
class CCPUInterface;
class CSMBusInterface;
class CChipsetInterface;
class CDMIInterface;
class CWMIInterface;
class CHardwareMonitorInterface;
class CDisplayInterface;

// Filled by name getters that have nothing to report.
extern char EmptyString[256];

class QUARNSDK {
 public:
  static QUARNSDK* GetInstance();
  static void ReleaseInstance();
  // True when a facade exists (without creating one).
  static bool HasInstance();

  virtual ~QUARNSDK();

  // Driver channel (not owned).
  void SetDriver(CKMDriver* d) { driver = d; }
  CKMDriver* GetDriver() const { return driver; }

  // The cross-process SDK lock. 0xFFFFFFFF = no time limit. On failure
  // `status` holds 0x102 (time-out), 0x80 (the previous owner died holding
  // it; released again at once) or a system error code.
  bool Lock(uint32_t* status, uint32_t timeoutMs);
  void Unlock();
  bool OwnsLock() const;
  static plat::MutexHandle CreateGlobalMutex(bool initialOwner, const char* name);

  // Registration: the object belongs to the facade from now on.
  void AddDevice(CDevice* d) { devices->Append(d); }
  void AddIOSpace(CIOSpace* s) { ioSpaces->Append(s); }
  void AddRegisterSpace(CRegisterSpace* s) { registerSpaces->Append(s); }
  void AddSensor(CSensor* s) { sensors->Append(s); }
  void AddTimer(CTimer* t) { timers->Append(t); }
  void AddPLL(CPLL* p) { plls->Append(p); }
  void AddCommand(CCommand* c) { commands->Append(c); }
  void AddMemoryMap(CMemoryMap* m) { memoryMaps->Append(m); }
  void SetMainboard(CMainboard* board);
  CMainboard* GetMainboard() const { return mainboard; }
  // Takes a device out of the device list (a device that stopped answering);
  // the caller deletes it when this returns true.
  bool RemoveDevice(CDevice* d);
  // Takes a register space and its port window out of the facade and
  // deletes both (a space made for a probe that found nothing).
  void DestroyRegisterSpace(CRegisterSpace* s);

  const CTList<CRegisterSpace>* GetRegisterSpaces() const { return registerSpaces; }
  const CTList<CDevice>* GetDevices() const { return devices; }
  const CTList<CSensor>* GetSensors() const { return sensors; }
  const CTList<CInterface>* GetInterfaces() const { return interfaces; }
  const CTList<CPLL>* GetPLLs() const { return plls; }
  const CTList<CTimer>* GetTimers() const { return timers; }

  // Lookups: first match from the head; null or 0 when nothing matches.
  CInterface* FindInterface(uint32_t type) const;
  CIOSpace* FindIOSpace(uint32_t baseHigh, uint32_t baseLow, uint32_t kind) const;
  CRegisterSpace* FindRegisterSpace(uint32_t baseHigh, uint32_t baseLow, uint32_t kind) const;
  int FindRegisterSpaces(uint32_t kind, CTList<CRegisterSpace>* out) const;
  CMemoryMap* FindMemoryMap(uint32_t addressLow, uint32_t addressHigh) const;
  CTimer* FindTimer(int type) const;
  int FindTimers(int type, CTList<CTimer>* out) const;
  int FindDevices(uint32_t type, CTList<CDevice>* out) const;
  CDevice* FindMemoryModule(int moduleIndex, int typeCode) const;

  // Interface creation: construct, detect, keep on success. Each returns the
  // detection result (nonzero = success).
  int CreatePCIInterface();
  int CreateACPIInterface(int32_t boardHash, int32_t boardSum, uint32_t mask);
  int CreateChipsetInterface();
  int CreateDMIInterface();
  int CreateWMIInterface();
  int CreateCPUInterface(uint32_t options);
  int CreateSMBusInterface();
  int CreateDisplayInterface(uint32_t mask);
  int CreateHardwareMonitorInterface(int32_t boardHash, int32_t boardSum, uint32_t mask);
  int CreatePLLInterface(int32_t boardHash);

  // Makes the hardware safe before anything is deleted: commands restored,
  // memory maps unmapped, interfaces closed.
  void Shutdown();

  static uint32_t BoardHash(const char* text);
  static bool IsNT4OrOlder() { return false; }

  // Fields.
  plat::MutexHandle mutex = nullptr;
  CTList<CCommand>* commands = nullptr;
  CTList<CMemoryMap>* memoryMaps = nullptr;
  CKMDriver* driver = nullptr;
  CTList<CIOSpace>* ioSpaces = nullptr;
  CTList<CRegisterSpace>* registerSpaces = nullptr;
  CTList<CInterface>* interfaces = nullptr;
  CTList<CDevice>* devices = nullptr;
  CTList<CTimer>* timers = nullptr;
  CTList<CSensor>* sensors = nullptr;
  CTList<CPLL>* plls = nullptr;
  CPCIInterface* pciInterface = nullptr;
  CACPIInterface* acpiInterface = nullptr;
  CCPUInterface* cpuInterface = nullptr;
  CSMBusInterface* smbusInterface = nullptr;
  CChipsetInterface* chipsetInterface = nullptr;
  CDMIInterface* dmiInterface = nullptr;
  CWMIInterface* wmiInterface = nullptr;
  CHardwareMonitorInterface* hardwareMonitorInterface = nullptr;
  CDisplayInterface* displayInterface = nullptr;
  CMainboard* mainboard = nullptr;

  // Keeps an interface whose detection succeeded; deletes it otherwise.
  // Returns `detected`.
  int AdoptInterface(CInterface* candidate, int detected);

 private:
  QUARNSDK();
  int mutexError_ = 0;
};
