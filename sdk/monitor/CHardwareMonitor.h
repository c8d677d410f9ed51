// Base of every monitoring-chip driver: the chip's sensors by class, the
// label tables that name and scale them for the board, and register access
// through a register space and a request the monitor owns.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/core/CTList.h"
#include "sdk/monitor/MonitorLabels.h"

class CSensor;
class CRegisterSpace;
class CIORequest;
class CDevice;
class CCompositeDevice;
struct ChipFamily;

enum MonitorCategory : int {
  MONITOR_CHIP = 1,
  MONITOR_POWER_SUPPLY = 16,
  MONITOR_ACPI_THERMAL = 32,
  MONITOR_MEMORY_MODULE = 64,
  MONITOR_HID_COOLING = 128,
  MONITOR_BATTERY = 512,
  MONITOR_DISPLAY_API = 1024,
};

// Fan modes of GetFanMode/SetFanMode.
enum FanMode : int { FANMODE_AUTOMATIC = 1, FANMODE_MANUAL = 2 };

// Class code of the list that has no sensor class of its own.
inline constexpr uint32_t kSensorClass40000 = 0x40000;

class CHardwareMonitor {
 public:
  CHardwareMonitor(int category, int monitorId);
  CHardwareMonitor(const CHardwareMonitor&) = delete;
  CHardwareMonitor& operator=(const CHardwareMonitor&) = delete;

  // Virtual operations in the framework's slot order. Reports append text.
  virtual void ReportInfo(std::string* out);
  virtual void ReportHook1(std::string*) {}
  virtual void ReportSensors(std::string* out);
  virtual void ReportHook3(std::string*) {}
  virtual int Update() { return 0; }
  virtual ~CHardwareMonitor();
  virtual void ReportHook6(std::string*) {}
  virtual void ReportHook7(std::string*) {}
  virtual void ReportHook8(std::string*) {}
  virtual int CreateSensors() { return 0; }
  virtual void Close() {}
  virtual int SetSensorValue(int index, uint32_t sensorClass, float value);
  virtual int GetFanMode(int index, uint32_t sensorClass, int* mode);
  virtual int SetFanMode(int index, uint32_t sensorClass, int mode);

  // Register access through the space; 0 without space or request. Reads
  // preset their output to all ones.
  int ReadReg(uint32_t reg, uint8_t* value);
  int WriteReg(uint32_t reg, uint8_t value);
  int ReadRegWord(uint32_t reg, uint16_t* value);

  void AddSensor(CSensor* sensor);
  // AddSensor, then the SDK's sensor list and the parent device's sensors.
  void AddSensorEverywhere(CSensor* sensor);
  // Stores a fan reading in `*slot`. A fan that does not turn (count < 0)
  // reads 0 and keeps its row; a fan seen for the first time gets its
  // sensor "FANIN<k>". Returns true when a sensor was made (labels are due).
  bool StoreFanReading(CSensor** slot, int k, int count, int pulsesPerRevolution = 2);
  CSensor* FindSensor(uint32_t key) const;
  const CTList<CSensor>* GetList(uint32_t sensorClass) const;
  CSensor* GetSensor(uint32_t sensorClass, int n) const;
  void ApplyLabels();
  void ApplyConversions();
  int UpdateDivided(bool force);
  void SetParent(CDevice* device);

  // Conversion of one sensor by a temperature or fan rule.
  void ConvertTemperature(CSensor* sensor, int rule);
  void ConvertFan(CSensor* sensor, int rule);
  // Drivers convert their own temperatures and fans when a board replaced
  // the table by none.
  void ConvertUnlabelled(int temperatureRule, int fanRule);

  // Name, fan constant, default label tables and board-table family from
  // the chip's family row (nothing without one).
  void ApplyFamily(const ChipFamily* family);

  // Takes ownership of `request`.
  void SetAccess(CRegisterSpace* space, CIORequest* request);

  char name[256] = {};
  int category;
  int monitorId;
  int boardId = -1;
  CTList<CSensor>* all = nullptr;
  CTList<CSensor>* voltages = nullptr;
  CTList<CSensor>* currents = nullptr;
  CTList<CSensor>* capacities = nullptr;
  CTList<CSensor>* temperatures = nullptr;
  CTList<CSensor>* fans = nullptr;
  CTList<CSensor>* fanPwms = nullptr;
  CTList<CSensor>* pumpPwms = nullptr;
  CTList<CSensor>* powers = nullptr;
  CTList<CSensor>* waterLevels = nullptr;
  CTList<CSensor>* positions = nullptr;
  CTList<CSensor>* class40000 = nullptr;
  CTList<CSensor>* levels = nullptr;
  CTList<CSensor>* labelledVoltages = nullptr;
  CTList<CSensor>* labelledTemperatures = nullptr;
  CTList<CSensor>* labelledFans = nullptr;
  float negativeRailReference = 3.6f;
  float fanConstant = 1350000.0f;
  CRegisterSpace* space = nullptr;  // not owned
  CIORequest* request = nullptr;    // owned
  CCompositeDevice* parent = nullptr;
  int refreshDivider = 1;
  int refreshCounter = 0;
  const VoltageLabel* voltageTable = nullptr;
  const TemperatureLabel* temperatureTable = nullptr;
  const FanLabel* fanTable = nullptr;
  // Which board tables apply (MonitorTableFamily); 0 = none.
  int tableFamily = 0;
  // Banked chips: the bank the chip has selected during a refresh, -1 when
  // not known (bank 0 as the refresh found it).
  int selectedBank = -1;

 private:
  CTList<CSensor>** ListFor(uint32_t sensorClass);
};
