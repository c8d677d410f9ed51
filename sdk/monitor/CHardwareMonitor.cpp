#include "sdk/monitor/CHardwareMonitor.h"

#include <algorithm>
#include <cstdio>

#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/monitor/ChipFamilies.h"
#include "sdk/monitor/WinbondBanks.h"

CHardwareMonitor::CHardwareMonitor(int cat, int id) : category(cat), monitorId(id) {
  std::snprintf(name, sizeof(name), "Hardware monitor ID=0x%X", static_cast<unsigned>(id));
}

CHardwareMonitor::~CHardwareMonitor() {
  delete request;
  for (CTList<CSensor>* l : {all, voltages, currents, capacities, temperatures, fans, fanPwms, pumpPwms, powers,
                             waterLevels, positions, reservedClass, levels, labelledVoltages, labelledTemperatures,
                             labelledFans})
    delete l;
}

void CHardwareMonitor::ApplyFamily(const ChipFamily* family) {
  if (!family) return;
  std::snprintf(name, sizeof(name), "%s", family->name);
  if (family->fanConstant > 0) fanConstant = family->fanConstant;
  voltageTable = family->voltageTable;
  temperatureTable = family->temperatureTable;
  fanTable = family->fanTable;
  tableFamily = family->tableFamily;
}

void CHardwareMonitor::SetAccess(CRegisterSpace* s, CIORequest* r) {
  if (request != r) delete request;
  space = s;
  request = r;
}

void CHardwareMonitor::ReportInfo(std::string*) {}

void CHardwareMonitor::ReportSensors(std::string* out) {
  if (!out) return;
  for (uint32_t cls : {uint32_t{SENSOR_VOLTAGE}, uint32_t{SENSOR_CURRENT}, uint32_t{SENSOR_CAPACITY},
                       uint32_t{SENSOR_POWER}, uint32_t{SENSOR_TEMPERATURE}, uint32_t{SENSOR_FAN},
                       uint32_t{SENSOR_WATER_LEVEL}, uint32_t{SENSOR_FAN_PWM}, uint32_t{SENSOR_PUMP_PWM},
                       uint32_t{SENSOR_POSITION}, kSensorClassReserved, uint32_t{SENSOR_LEVEL}}) {
    for (CSensor* s : Items(GetList(cls))) {
      char line[400];
      std::snprintf(line, sizeof(line), "%s: %.3f (raw %d)\n", s->name, static_cast<double>(s->value), s->raw);
      *out += line;
    }
  }
}

int CHardwareMonitor::Update() { return registerMap.Empty() ? 0 : RefreshChannels(false); }

int CHardwareMonitor::CreateSensors() { return registerMap.Empty() ? 0 : RefreshChannels(true); }

int CHardwareMonitor::ReadMapped(uint16_t reg, uint8_t* value) {
  return registerMap.banked ? ReadBankedReg(*this, reg, value) : ReadReg(reg, value);
}

bool CHardwareMonitor::ReadVoltage(int i, bool probing, int* raw) {
  uint8_t v;
  if (!ReadMapped(registerMap.voltages[static_cast<size_t>(i)], &v)) return false;
  if (probing && (v == 0x00 || v == 0xFF)) return false;
  *raw = v;
  return true;
}

int CHardwareMonitor::ReadTemperature(int j) {
  const MonitorTemperatureReg& t = registerMap.temperatures[static_cast<size_t>(j)];
  uint8_t hi, lo;
  if (!ReadMapped(t.reg, &hi)) return -1;
  if (!t.halfDegree) return hi;
  if (!ReadMapped(static_cast<uint16_t>(t.reg + 1), &lo)) return -1;
  return (hi << 1) | (lo >> 7);
}

int CHardwareMonitor::RefreshChannels(bool probing) {
  const MonitorRegisterMap& map = registerMap;
  BeginRefresh();
  bool relabel = probing;
  const int voltageCount = static_cast<int>(std::min<size_t>(map.voltages.size(), kMaxVoltages));
  for (int i = 0; i < voltageCount; ++i) {
    CSensor*& s = voltageSensors[i];
    if (!s && !probing && !map.voltagesAppear) continue;
    int raw;
    if (!ReadVoltage(i, !s, &raw)) continue;
    if (!s) {
      s = new CVoltageSensor(i);
      std::snprintf(s->name, sizeof(s->name), "VIN%d", i);
      AddSensorEverywhere(s);
      relabel = true;
    }
    s->raw = raw;
    s->input = VoltageInput(i, raw);
  }
  const int temperatureCount = static_cast<int>(std::min<size_t>(map.temperatures.size(), kMaxTemperatures));
  for (int j = 0; j < temperatureCount; ++j) {
    CSensor*& s = temperatureSensors[j];
    if (!s && !probing) continue;
    const int raw = ReadTemperature(j);
    if (raw < 0) continue;
    if (!s) {
      const int wholeDegrees = map.temperatures[static_cast<size_t>(j)].halfDegree ? raw >> 1 : raw;
      if (std::find(map.openTemperatures.begin(), map.openTemperatures.end(), wholeDegrees) !=
          map.openTemperatures.end())
        continue;
      s = new CTemperatureSensor(j);
      std::snprintf(s->name, sizeof(s->name), "TMPIN%d", j);
      AddSensorEverywhere(s);
    }
    s->raw = raw;
  }
  const int fanCount = static_cast<int>(std::min<size_t>(map.fans.size(), kMaxFans));
  for (int k = 0; k < fanCount; ++k) {
    int pulses = 2;
    const int count = ReadFanCount(k, &pulses);
    relabel |= StoreFanReading(&fanSensors[k], k, count, pulses);
    if (fanSensors[k] && count >= 0) static_cast<CFanSensor*>(fanSensors[k])->pulsesPerRevolution = pulses;
  }
  for (int k = 0; k < std::min(map.pwms, kMaxPwms); ++k) relabel |= ReadPwm(k, probing);
  if (map.banked) RestoreBankZero(*this);
  if (relabel) ApplyLabels();
  ApplyConversions();
  ConvertUnlabelled(map.temperatureRule, map.fanRule);
  return 1;
}

int CHardwareMonitor::SetSensorValue(int, uint32_t, float) { return 0; }
int CHardwareMonitor::GetFanMode(int, uint32_t, int*) { return 0; }
int CHardwareMonitor::SetFanMode(int, uint32_t, int) { return 0; }

int CHardwareMonitor::ReadReg(uint32_t reg, uint8_t* value) {
  *value = 0xFF;
  if (!space || !request) return 0;
  request->reg = reg;
  request->op = IOOP_READ | IOOP_BYTE;
  request->data = 0xFF;
  int ok = space->Execute(request);
  if (ok) *value = static_cast<uint8_t>(request->data);
  return ok;
}

int CHardwareMonitor::WriteReg(uint32_t reg, uint8_t value) {
  if (!space || !request) return 0;
  request->reg = reg;
  request->op = IOOP_WRITE | IOOP_BYTE;
  request->data = value;
  return space->Execute(request);
}

int CHardwareMonitor::ReadRegWord(uint32_t reg, uint16_t* value) {
  *value = 0xFFFF;
  if (!space || !request) return 0;
  request->reg = reg;
  request->op = IOOP_READ | IOOP_WORD;
  request->data = 0xFFFF;
  int ok = space->Execute(request);
  if (ok) *value = static_cast<uint16_t>(request->data);
  return ok;
}

CTList<CSensor>** CHardwareMonitor::ListFor(uint32_t cls) {
  switch (cls) {
    case SENSOR_VOLTAGE: return &voltages;
    case SENSOR_CURRENT: return &currents;
    case SENSOR_TEMPERATURE: return &temperatures;
    case SENSOR_FAN: return &fans;
    case SENSOR_FAN_PWM: return &fanPwms;
    case SENSOR_PUMP_PWM: return &pumpPwms;
    case SENSOR_POWER: return &powers;
    case SENSOR_WATER_LEVEL: return &waterLevels;
    case SENSOR_POSITION: return &positions;
    case SENSOR_CAPACITY: return &capacities;
    case kSensorClassReserved: return &reservedClass;
    case SENSOR_LEVEL: return &levels;
    default: return nullptr;
  }
}

void CHardwareMonitor::AddSensor(CSensor* sensor) {
  if (!all) all = new CTList<CSensor>();
  all->Append(sensor);
  // Precedence: the first class bit the key carries.
  for (uint32_t cls : {uint32_t{SENSOR_VOLTAGE}, uint32_t{SENSOR_CURRENT}, uint32_t{SENSOR_TEMPERATURE},
                       uint32_t{SENSOR_FAN}, uint32_t{SENSOR_FAN_PWM}, uint32_t{SENSOR_PUMP_PWM},
                       uint32_t{SENSOR_POWER}, uint32_t{SENSOR_WATER_LEVEL}, uint32_t{SENSOR_POSITION},
                       uint32_t{SENSOR_CAPACITY}, kSensorClassReserved, uint32_t{SENSOR_LEVEL}}) {
    if (sensor->id & cls) {
      CTList<CSensor>** list = ListFor(cls);
      if (!*list) *list = new CTList<CSensor>();
      (*list)->Append(sensor);
      return;
    }
  }
}

void CHardwareMonitor::AddSensorEverywhere(CSensor* sensor) {
  AddSensor(sensor);
  QUARNSDK::GetInstance()->AddSensor(sensor);
  if (parent) parent->AddSensor(sensor);
}

bool CHardwareMonitor::StoreFanReading(CSensor** slot, int k, int count, int pulsesPerRevolution) {
  if (count < 0) {
    if (*slot) (*slot)->raw = 0;
    return false;
  }
  bool created = false;
  if (!*slot) {
    auto* s = new CFanSensor(k);
    std::snprintf(s->name, sizeof(s->name), "FANIN%d", k);
    s->pulsesPerRevolution = pulsesPerRevolution;
    AddSensorEverywhere(s);
    *slot = s;
    created = true;
  }
  (*slot)->raw = count;
  return created;
}

CFanPwmSensor* CHardwareMonitor::PwmSensor(int k, bool* created, const char* name) {
  *created = false;
  if (!fanPwmSensors[k]) {
    auto* s = new CFanPwmSensor(k);
    if (name)
      std::snprintf(s->name, sizeof(s->name), "%s", name);
    else
      std::snprintf(s->name, sizeof(s->name), "PWM%d", k + 1);
    AddSensorEverywhere(s);
    fanPwmSensors[k] = s;
    *created = true;
  }
  return static_cast<CFanPwmSensor*>(fanPwmSensors[k]);
}

CSensor* CHardwareMonitor::FindSensor(uint32_t key) const {
  for (CSensor* s : Items(all))
    if ((s->id & kSensorKeyMask) == (key & kSensorKeyMask)) return s;
  return nullptr;
}

const CTList<CSensor>* CHardwareMonitor::GetList(uint32_t cls) const {
  switch (cls) {
    case SENSOR_VOLTAGE: return labelledVoltages ? labelledVoltages : voltages;
    case SENSOR_TEMPERATURE: return labelledTemperatures ? labelledTemperatures : temperatures;
    case SENSOR_FAN: return labelledFans ? labelledFans : fans;
    case 0xFFFFFFFFu: return all;
    default: {
      auto* self = const_cast<CHardwareMonitor*>(this);
      CTList<CSensor>** list = self->ListFor(cls);
      return list ? *list : nullptr;
    }
  }
}

CSensor* CHardwareMonitor::GetSensor(uint32_t cls, int n) const {
  const CTList<CSensor>* list = GetList(cls);
  return list ? list->At(n) : nullptr;
}

namespace {

template <typename Row>
void Label(CHardwareMonitor& m, const Row* table, CTList<CSensor>** labelled) {
  if (!table) return;
  if (!*labelled) *labelled = new CTList<CSensor>();
  (*labelled)->Clear();
  for (const Row* row = table; row->key != kLabelEnd; ++row) {
    CSensor* s = m.FindSensor(row->key);
    if (!s) continue;
    std::snprintf(s->name, sizeof(s->name), "%s", row->label);
    s->id = row->key;
    (*labelled)->Append(s);
  }
}

}  // namespace

void CHardwareMonitor::ApplyLabels() {
  Label(*this, voltageTable, &labelledVoltages);
  Label(*this, temperatureTable, &labelledTemperatures);
  Label(*this, fanTable, &labelledFans);
}

void CHardwareMonitor::ApplyConversions() {
  if (voltageTable) {
    for (const VoltageLabel* row = voltageTable; row->key != kLabelEnd; ++row) {
      CSensor* s = FindSensor(row->key);
      if (!s) continue;
      double x = s->input > 0.0f ? s->input : static_cast<double>(static_cast<uint32_t>(s->raw));
      double a = row->a, b = row->b, v = x;
      switch (row->rule) {
        case 1: v = x * a / b; break;
        case 2: v = x * (a + b) / b; break;
        case 3: {
          double c = a / (b + a);
          v = (x - c * negativeRailReference) / (1.0 - c);
          break;
        }
        case 4: v = x * a + b; break;
        default: break;
      }
      s->SetValue(static_cast<float>(v), true);
    }
  } else {
    for (CSensor* s : Items(voltages))
      s->SetValue(s->input > 0.0f ? s->input : static_cast<float>(s->raw), true);
  }
  if (temperatureTable) {
    for (const TemperatureLabel* row = temperatureTable; row->key != kLabelEnd; ++row) {
      CSensor* s = FindSensor(row->key);
      if (!s || s->raw == -1) continue;
      ConvertTemperature(s, row->rule);
    }
  }
  if (fanTable) {
    for (const FanLabel* row = fanTable; row->key != kLabelEnd; ++row) {
      CSensor* s = FindSensor(row->key);
      if (!s) continue;
      ConvertFan(s, row->rule);
    }
  }
}

void CHardwareMonitor::ConvertTemperature(CSensor* s, int rule) {
  float p = (s->ClassBits() == SENSOR_TEMPERATURE) ? static_cast<CTemperatureSensor*>(s)->offset : 0.0f;
  double v = s->raw;
  switch (rule) {
    // Two's complement: a signed byte, or nine bits in half degrees.
    case 1: v = p + static_cast<int8_t>(s->raw & 0xFF); break;
    case 2: v = p + 0.5 * ((s->raw & 0x100) ? (s->raw & 0x1FF) - 512 : (s->raw & 0x1FF)); break;
    case 3: v = s->raw + p; break;
    case 5: v = p + (s->raw - 256) * 0.25; break;
    default: break;
  }
  s->SetValue(static_cast<float>(v), true);
}

void CHardwareMonitor::ConvertFan(CSensor* s, int rule) {
  double v = s->raw;
  if (rule == 1) {
    int ppr = (s->ClassBits() == SENSOR_FAN) ? static_cast<CFanSensor*>(s)->pulsesPerRevolution : 1;
    v = s->raw == 0 ? 0.0 : fanConstant / (static_cast<double>(s->raw) * ppr);
  }
  s->SetValue(static_cast<float>(v), true);
}

void CHardwareMonitor::ConvertUnlabelled(int temperatureRule, int fanRule) {
  if (!temperatureTable)
    for (CSensor* s : Items(temperatures))
      if (s->raw != -1) ConvertTemperature(s, temperatureRule);
  if (!fanTable)
    for (CSensor* s : Items(fans)) ConvertFan(s, fanRule);
}

int CHardwareMonitor::UpdateDivided(bool force) {
  if (force) return Update();
  if (refreshDivider < 1) return 0;
  if (++refreshCounter == refreshDivider) {
    refreshCounter = 0;
    return Update();
  }
  return 0;
}

void CHardwareMonitor::SetParent(CDevice* device) {
  if (device && (device->type & DEVICE_COMPOSITE)) parent = static_cast<CCompositeDevice*>(device);
}
