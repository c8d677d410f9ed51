// The memory modules' SPD EEPROMs: found once on every SMBus host at
// 0x50-0x57 (and on the SPD buses of fully buffered memory controllers),
// copied and decoded into CModuleInfo records, each with a memory-module
// device and, where the module carries a JEDEC thermal sensor, its
// temperature. The application owns the interface; the devices and
// sensors belong to the facade.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "sdk/core/CTList.h"
#include "sdk/memory/CModuleInfo.h"

class CDevice;
class CMemoryModule;
class CSMBusDevice;
class CTemperatureSensor;

class CSPDInterface {
 public:
  static constexpr int kMaxModules = 32;
  using Progress = std::function<void()>;

  CSPDInterface();
  virtual ~CSPDInterface();
  CSPDInterface(const CSPDInterface&) = delete;
  CSPDInterface& operator=(const CSPDInterface&) = delete;

  // Finds and reads the modules; true when at least one was found.
  // `progress` (may be empty) runs before every slot and every pass over a
  // memory controller's SPD bus.
  bool Detect(const Progress& progress = {});
  // Decodes every module found and names its device "<maker> <speed>".
  void Decode(const Progress& progress = {});
  // The module at SMBus address `address` among those found, or null.
  CModuleInfo* FindModule(uint8_t address);
  CModuleInfo* GetModule(int i) { return i >= 0 && i < count ? &modules[i] : nullptr; }
  // Sum of the positive module sizes in MB.
  int TotalSizeMB() const;

  // With `holdBack` set, Detect keeps what it creates to this interface:
  // the module devices, their temperature sensors and the monitors that
  // refresh those reach the facade's lists only through Publish(). A
  // program that reads the EEPROMs on a thread of its own, while another
  // thread may still walk those lists, publishes from that other thread
  // under the hardware lock. Without it they are added as they are found.
  // What is never published is deleted with the interface.
  bool holdBack = false;
  // Hands everything held back to the facade, in the order it was found.
  void Publish();

  int count = 0;
  int boardHash = -1;
  int slotCount = 8;
  CModuleInfo modules[kMaxModules];
  CTList<CDevice>* devices;  // nodes only; the devices belong to the facade

 private:
  // A module with its temperature sensor (null without one) and the
  // sensor's SMBus device, not yet in the facade.
  struct Held {
    CMemoryModule* module = nullptr;
    CTemperatureSensor* temperature = nullptr;
    CSMBusDevice* thermalDevice = nullptr;
  };
  static void Share(const Held& held);
  std::vector<Held> held_;

  // Records the module of `device` in the next entry (buffer preset to
  // `fill`) with its device; null when the table is full.
  CMemoryModule* Record(CSMBusDevice* device, uint8_t fill);
  // The JEDEC thermal sensor at 0x18 | slot next to the module's EEPROM.
  void AttachThermalSensor(CMemoryModule* module, CSMBusDevice* eeprom, int slot);
  void DetectControllerBuses(const Progress& progress);
};

// Installed memory in MB for the application: the system's figure, replaced
// by the modules' sum when that is larger.
int InstalledMemoryMB(int systemMB, const CSPDInterface* spd);
// The system's figure from a byte count: the integer part of MB + 0.95,
// made even by rounding an odd result up.
int SystemMemoryMB(uint64_t bytes);
