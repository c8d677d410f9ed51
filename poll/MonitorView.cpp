#include "poll/MonitorView.h"

#include <utility>

#include "poll/SensorRowFormat.h"
#include "poll/TextFormat.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CSensor.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"

namespace {

struct RowDef {
  CMonitorView::Box box;
  int labelId, valueId;
  const char* label;
};

constexpr RowDef kRowDefs[CMonitorView::kRowCount] = {
    {CMonitorView::kVoltages, 1036, 1037, "Voltage 1"},
    {CMonitorView::kVoltages, 1039, 1038, "Voltage 2"},
    {CMonitorView::kVoltages, 1041, 1040, "Voltage 3"},
    {CMonitorView::kVoltages, 1043, 1042, "Voltage 4"},
    {CMonitorView::kVoltages, 1045, 1044, "Voltage 5"},
    {CMonitorView::kVoltages, 1047, 1046, "Voltage 6"},
    {CMonitorView::kVoltages, 1049, 1048, "Voltage 7"},
    {CMonitorView::kVoltages, 1051, 1050, "Voltage 8"},
    {CMonitorView::kVoltages, 1053, 1052, "Voltage 9"},
    {CMonitorView::kVoltages, 1085, 1084, "Voltage 10"},
    {CMonitorView::kTemperatures, 1055, 1054, "Temp 1"},
    {CMonitorView::kTemperatures, 1057, 1056, "Temp 2"},
    {CMonitorView::kTemperatures, 1059, 1058, "Temp 3"},
    {CMonitorView::kTemperatures, 1061, 1060, "Temp 4"},
    {CMonitorView::kTemperatures, 1063, 1062, "Temp 5"},
    {CMonitorView::kTemperatures, 1065, 1064, "CPU core#1"},
    {CMonitorView::kTemperatures, 1067, 1066, "CPU core#2"},
    {CMonitorView::kTemperatures, 1069, 1068, "CPU core#3"},
    {CMonitorView::kTemperatures, 1071, 1070, "CPU core#4"},
    {CMonitorView::kTemperatures, 1073, 1072, "CPU core#5"},
    {CMonitorView::kTemperatures, 1075, 1074, "CPU core#6"},
    {CMonitorView::kFans, 1077, 1076, "Fan 1"},
    {CMonitorView::kFans, 1079, 1078, "Fan 2"},
    {CMonitorView::kFans, 1081, 1080, "Fan 3"},
    {CMonitorView::kFans, 1083, 1082, "Fan 4"},
    {CMonitorView::kFans, 1090, 1089, "Fan 5"},
    {CMonitorView::kFans, 1092, 1091, "Fan 6"},
    // Readings beyond the three classic boxes: power and current sensors of
    // the selected processor and of the board.
    {CMonitorView::kOther, 1200, 1201, "Other 1"},
    {CMonitorView::kOther, 1202, 1203, "Other 2"},
    {CMonitorView::kOther, 1204, 1205, "Other 3"},
    {CMonitorView::kOther, 1206, 1207, "Other 4"},
    {CMonitorView::kOther, 1208, 1209, "Other 5"},
    {CMonitorView::kOther, 1210, 1211, "Other 6"},
};

struct FixedVoltage {
  uint32_t key;
  const char* label;
};

constexpr FixedVoltage kDualVoltages[CMonitorView::kVoltageRows] = {
    {0x01000100, "CPU0 VCore"}, {0x09000100, "CPU0 VTT"}, {0x08000100, "CPU0 DRAM"}, {0x0A000100, "IOH VCore"},
    {0x04000100, "+12V"},       {0x41000100, "CPU1 VCore"}, {0x49000100, "CPU1 VTT"}, {0x48000100, "CPU1 DRAM"},
    {0x0B000100, "IOH PLL"},    {0x03000100, "+5V"},
};

constexpr int kKindProcessor = DEVICE_PROCESSOR;
constexpr int kKindMainboard = DEVICE_MAINBOARD;
constexpr uint32_t kClassMask = 0x00FFFF00u;

// "Name: value" of the keyboard LCD.
std::string LcdText(const char* name, uint32_t sensorClass, float value) {
  return std::string(name) + ": " + FormatReading(sensorClass, value, SensorStyle::kCompact);
}

bool Matches(const CSensor& s, uint32_t sensorClass) { return (s.id & sensorClass) == sensorClass; }

bool ValueRead(const CSensor& s) { return s.value > kSensorNoValue; }

}  // namespace

CMonitorView::CMonitorView() {
  rows_.reserve(kRowCount);
  for (const RowDef& d : kRowDefs) rows_.push_back(Row{d.box, d.labelId, d.valueId, d.label, {}, {}, {}, false});
}

const char* CMonitorView::BoxTitle(Box box) {
  switch (box) {
    case kVoltages: return "Voltages";
    case kTemperatures: return "Temperatures";
    case kFans: return "Fans";
    default: return "Power";
  }
}

int CMonitorView::DeviceKind(int k) const {
  if (k < 0 || k >= SensorDeviceCount()) return -1;
  return static_cast<int>(sensorDevices_[k]->type & ~DEVICE_COMPOSITE);
}

int CMonitorView::SensorCount(int k, uint32_t sensorClass) const {
  if (k < 0 || k >= SensorDeviceCount()) return 0;
  int n = 0;
  for (CSensor* s : Items(static_cast<CCompositeDevice*>(sensorDevices_[k])->sensors)) n += Matches(*s, sensorClass);
  return n;
}

CSensor* CMonitorView::Sensor(int k, int n, uint32_t sensorClass) const {
  if (k < 0 || k >= SensorDeviceCount() || n < 0) return nullptr;
  for (CSensor* s : Items(static_cast<CCompositeDevice*>(sensorDevices_[k])->sensors))
    if (Matches(*s, sensorClass) && n-- == 0) return s;
  return nullptr;
}

CSensor* CMonitorView::SensorByKey(QUARNSDK* sdk, uint32_t key) {
  if (!sdk) return nullptr;
  for (CDevice* d : Items(sdk->GetDevices())) {
    if (!(d->type & DEVICE_COMPOSITE)) continue;
    for (CSensor* s : Items(static_cast<CCompositeDevice*>(d)->sensors))
      if (Matches(*s, key & kClassMask) && (s->id >> 24) == (key >> 24)) return s;
  }
  return nullptr;
}

void CMonitorView::Fill(int row, const char* name, const CSensor& s, uint32_t sensorClass) {
  Row& r = rows_[row];
  r.enabled = true;
  r.label = name;
  SensorRowText text = FormatSensorRow(s, *FindSensorClassFormat(sensorClass), SensorStyle::kCompact);
  r.value = std::move(text.value);
  r.min = std::move(text.min);
  r.max = std::move(text.max);
}

void CMonitorView::Update(QUARNSDK* sdk, int32_t boardId, int selectedProcessor) {
  lcd_.clear();
  if (!sdk) return;
  if (!devicesBuilt_) {
    for (CDevice* d : Items(sdk->GetDevices()))
      if (d->type & DEVICE_COMPOSITE) sensorDevices_.push_back(d);
    devicesBuilt_ = true;
  }
  // Voltages.
  if (boardId == kDualBoardA || boardId == kDualBoardB) {
    for (int i = 0; i < kVoltageRows; ++i) {
      CSensor* s = SensorByKey(sdk, kDualVoltages[i].key);
      if (!s || !(s->value > 0)) continue;
      Fill(kVoltageRow0 + i, kDualVoltages[i].label, *s, SENSOR_VOLTAGE);
      if (i == 0) lcd_.push_back({0, 20, LcdText("CPU0 VCore", SENSOR_VOLTAGE, s->value)});
      if (i == 5) lcd_.push_back({80, 20, LcdText("CPU1 VCore", SENSOR_VOLTAGE, s->value)});
    }
  } else {
    int r = 0;
    for (int k = 0; k < SensorDeviceCount(); ++k) {
      if (DeviceKind(k) != kKindMainboard) continue;
      const int count = SensorCount(k, SENSOR_VOLTAGE);
      for (int n = 0; n < count; ++n) {
        CSensor* s = Sensor(k, n, SENSOR_VOLTAGE);
        if (!s || !ValueRead(*s)) continue;
        if (r < kVoltageRows) Fill(kVoltageRow0 + r, s->name, *s, SENSOR_VOLTAGE);
        ++r;
        if (n == 1) lcd_.push_back({0, 20, LcdText(s->name, SENSOR_VOLTAGE, s->value)});
        if (n == 4) lcd_.push_back({80, 20, LcdText(s->name, SENSOR_VOLTAGE, s->value)});
      }
    }
  }

  // Temperatures, fans and the other readings.
  int t = 0, f = 0, o = 0;
  auto other = [&](CSensor* s) {
    if (o >= kOtherRows || !s->IsValid()) return;
    if (Matches(*s, SENSOR_POWER)) Fill(kOtherRow0 + o++, s->name, *s, SENSOR_POWER);
    else if (Matches(*s, SENSOR_CURRENT)) Fill(kOtherRow0 + o++, s->name, *s, SENSOR_CURRENT);
  };
  for (int k = 0; k < SensorDeviceCount(); ++k) {
    const int kind = DeviceKind(k);
    auto* device = static_cast<CCompositeDevice*>(sensorDevices_[k]);
    if (kind == kKindProcessor && static_cast<CProcessor*>(device)->index == selectedProcessor) {
      const int c = SensorCount(k, SENSOR_TEMPERATURE);
      for (int i = 0; i < c && i < kCpuTempRows; ++i) {
        CSensor* s = Sensor(k, i, SENSOR_TEMPERATURE);
        if (s && ValueRead(*s)) Fill(kCpuTempRow0 + i, s->name, *s, SENSOR_TEMPERATURE);
      }
      for (CSensor* s : Items(device->sensors)) other(s);
    } else if (kind == kKindMainboard) {
      const int temps = SensorCount(k, SENSOR_TEMPERATURE);
      for (int n = 0; n < temps; ++n) {
        CSensor* s = Sensor(k, n, SENSOR_TEMPERATURE);
        if (!s || !ValueRead(*s)) continue;
        if (t < kBoardTempRows) Fill(kBoardTempRow0 + t, s->name, *s, SENSOR_TEMPERATURE);
        ++t;
        if (n == 0) lcd_.push_back({0, 30, LcdText(s->name, SENSOR_TEMPERATURE, s->value)});
        if (n == 1) lcd_.push_back({80, 30, LcdText(s->name, SENSOR_TEMPERATURE, s->value)});
      }
      const int fans = SensorCount(k, SENSOR_FAN);
      for (int n = 0; n < fans; ++n) {
        CSensor* s = Sensor(k, n, SENSOR_FAN);
        // A fan without a reading takes no row and leaves the rows as they are.
        if (!s || RoundToInt(s->value) < 0) continue;
        if (f < kFanRows) Fill(kFanRow0 + f, s->name, *s, SENSOR_FAN);
        ++f;
        if (n == 0) lcd_.push_back({0, 40, LcdText(s->name, SENSOR_FAN, s->value)});
        if (n == 1) lcd_.push_back({80, 40, LcdText(s->name, SENSOR_FAN, s->value)});
      }
      for (CSensor* s : Items(device->sensors)) other(s);
    }
  }

  // Processor line.
  auto* cpu = static_cast<CCPUInterface*>(sdk->FindInterface(INTERFACE_CPU));
  CProcessor* p = cpu ? cpu->GetProcessor(selectedProcessor) : nullptr;
  if (p) {
    lcd_.push_back({0, 10, FormatText("CPU: %d MHz", static_cast<int>(p->GetCoreClock(0)))});
    const uint32_t code = p->GetTypeCode();
    const bool qpi = code >= 0x1020000 && code <= 0x10200FF;
    lcd_.push_back({80, 10, FormatText(qpi ? "QPI: %d MHz" : "FSB: %d MHz", static_cast<int>(cpu->busClock))});
  }
}
