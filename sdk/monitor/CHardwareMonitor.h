// Base of every monitoring-chip driver: the chip's sensors by class, the
// label tables that name and scale them for the board, and register access
// through a register space and a request the monitor owns.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "sdk/core/CTList.h"
#include "sdk/monitor/MonitorLabels.h"

class CSensor;
class CFanPwmSensor;
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

// A class code with a list of its own that no sensor in this program
// carries (kept so that the lists stay in their documented order).
inline constexpr uint32_t kSensorClassReserved = 0x40000;

// A temperature channel: the register with the whole degrees, and whether
// bit 7 of the next register adds half a degree (a nine-bit reading).
struct MonitorTemperatureReg {
  uint16_t reg;
  bool halfDegree = false;
};

// Where a monitoring chip keeps its channels, as the driver declares it.
// CHardwareMonitor walks it on every refresh; registers of banked chips are
// written bank << 8 | offset.
struct MonitorRegisterMap {
  std::span<const uint16_t> voltages;  // one byte per input
  float voltStep = 0.0f;               // volts per count
  std::span<const MonitorTemperatureReg> temperatures;
  // Readings (of the whole-degree byte) of an input with nothing connected.
  std::span<const uint8_t> openTemperatures;
  std::span<const uint16_t> fans;  // the first count register of each fan
  int pwms = 0;                    // fan outputs
  bool banked = false;             // Winbond-style bank select at 0x4E
  bool voltagesAppear = false;     // inputs may come alive after the first scan
  // Rules for sensors that no label table names.
  int temperatureRule = 1;
  int fanRule = 1;
  bool Empty() const { return voltages.empty() && temperatures.empty() && fans.empty() && pwms == 0; }
};

class CHardwareMonitor {
 public:
  CHardwareMonitor(int category, int monitorId);
  CHardwareMonitor(const CHardwareMonitor&) = delete;
  CHardwareMonitor& operator=(const CHardwareMonitor&) = delete;

  // Reports append text.
  virtual void ReportInfo(std::string* out);
  virtual void ReportSensors(std::string* out);
  // Reads the chip and converts its readings: walks the register map
  // (RefreshChannels); 0 for a chip without one.
  virtual int Update();
  virtual ~CHardwareMonitor();
  // Finds the live channels and makes their sensors; nonzero keeps the
  // monitor. The register map's walk, probing.
  virtual int CreateSensors();
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
  // The sensor of fan output `k`, made the first time and named `name`
  // ("PWM<k + 1>" when null); `*created` tells whether it was made now
  // (labels are due).
  CFanPwmSensor* PwmSensor(int k, bool* created, const char* name = nullptr);
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
  CTList<CSensor>* reservedClass = nullptr;
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

  // The register map and the sensors it made, by channel.
  MonitorRegisterMap registerMap;
  static constexpr int kMaxVoltages = 10, kMaxTemperatures = 4, kMaxFans = 5, kMaxPwms = 4;
  CSensor* voltageSensors[kMaxVoltages] = {};
  CSensor* temperatureSensors[kMaxTemperatures] = {};
  CSensor* fanSensors[kMaxFans] = {};
  CSensor* fanPwmSensors[kMaxPwms] = {};

 protected:
  // One walk of the register map: voltages, temperatures, fans and fan
  // outputs; while `probing`, channels that read as unconnected get no
  // sensor. Labels when sensors appeared, then converts.
  int RefreshChannels(bool probing);
  // A map register, through the bank select on banked chips.
  int ReadMapped(uint16_t reg, uint8_t* value);

  // The driver's part of a refresh. Called once before the walk.
  virtual void BeginRefresh() {}
  // Raw reading of voltage input `i`; false when there is none (read failed,
  // or while probing the input reads 0x00 or 0xFF).
  virtual bool ReadVoltage(int i, bool probing, int* raw);
  // Volts at the pin for a raw reading.
  virtual float VoltageInput(int i, int raw) { return static_cast<float>(raw) * registerMap.voltStep; }
  // Raw temperature (the byte, or nine bits in half degrees), -1 on failure.
  virtual int ReadTemperature(int j);
  // The fan's count (or rpm where the fan rule says so), -1 when it does not
  // turn; `*pulses` per revolution for the conversion.
  virtual int ReadFanCount(int /*k*/, int* /*pulses*/) { return -1; }
  // Reads fan output `k`; true when its sensor was made.
  virtual bool ReadPwm(int /*k*/, bool /*probing*/) { return false; }

 private:
  CTList<CSensor>** ListFor(uint32_t sensorClass);
};
