// What the Monitoring view shows, worked out from the values the last poll
// left in the SDK's sensors: the fixed rows of voltages, temperatures, fans
// and other readings, and the summary lines for the keyboard LCD. The
// Monitoring page and `torvikctl monitor` both draw from it; it never
// touches hardware.
//
// Rows are only ever filled: a row keeps its last label, state and values
// when its sensor is no longer found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDevice;
class CSensor;
class QUARNSDK;

class CMonitorView {
 public:
  enum Box { kVoltages, kTemperatures, kFans, kOther, kBoxCount };

  struct Row {
    Box box;
    int labelId;   // dialog ids of the label and the value text
    int valueId;
    std::string label;  // UTF-8
    std::string value;  // "" until filled
    std::string min;
    std::string max;
    bool enabled = false;
  };

  struct LcdLine {
    int x, y;
    std::string text;  // UTF-8
  };

  // Row ranges.
  static constexpr int kVoltageRow0 = 0, kVoltageRows = 10;
  static constexpr int kBoardTempRow0 = 10, kBoardTempRows = 5;
  static constexpr int kCpuTempRow0 = 15, kCpuTempRows = 6;
  static constexpr int kFanRow0 = 21, kFanRows = 6;
  static constexpr int kOtherRow0 = 27, kOtherRows = 6;
  static constexpr int kRowCount = 33;

  // The two dual-processor boards, whose voltage rows are fixed.
  static constexpr int32_t kDualBoardA = 0x31CDB24;
  static constexpr int32_t kDualBoardB = 0x4FC5613E;

  CMonitorView();

  // One redraw from the cached values. `sdk` may be null (no rows filled,
  // no LCD lines).
  void Update(QUARNSDK* sdk, int32_t boardId, int selectedProcessor);

  const std::vector<Row>& Rows() const { return rows_; }
  const Row& RowAt(int index) const { return rows_[index]; }
  // The LCD lines of the last update, in drawing order.
  const std::vector<LcdLine>& Lcd() const { return lcd_; }
  // Composite devices the view reads, built from the SDK device list on
  // first use and kept.
  const std::vector<CDevice*>& SensorDevices() const { return sensorDevices_; }

  static const char* BoxTitle(Box box);

  // The sensor-device read routines.
  int SensorDeviceCount() const { return static_cast<int>(sensorDevices_.size()); }
  int DeviceKind(int k) const;
  int SensorCount(int k, uint32_t sensorClass) const;
  CSensor* Sensor(int k, int n, uint32_t sensorClass) const;
  // First sensor over every composite device of the SDK whose key has the
  // class bits of `key` and whose top byte equals that of `key`.
  static CSensor* SensorByKey(QUARNSDK* sdk, uint32_t key);

 private:
  // Fills a row with the sensor's compact texts as a reading of `sensorClass`.
  void Fill(int row, const char* name, const CSensor& s, uint32_t sensorClass);

  std::vector<Row> rows_;
  std::vector<LcdLine> lcd_;
  std::vector<CDevice*> sensorDevices_;
  bool devicesBuilt_ = false;
};
