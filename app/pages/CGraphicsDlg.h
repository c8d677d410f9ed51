// The "Graphics" page: the chosen display adapter's identity, memory and
// clocks per performance level, refreshed every second; on the board
// vendor's own cards the GPU voltage through the adapter's APIs and the
// card's three supply regulators ("NV VDD (3D)", "FB VDD", "PEX VDD").
#pragma once

#include "app/pages/CTunePage.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class CDisplayAdapter;

class CGraphicsDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CGraphicsDlg(QWidget* parent);

  // The GPU voltages the VGPU list offers.
  static constexpr int kVgpuCount = 14;
  static const float kVgpuValues[kVgpuCount];

  // The VGPU entry nearest to `volts` (the first of equally near ones).
  static int NearestVgpuIndex(float volts);
  // The slider position of a regulator voltage: the nearest step, so that
  // "Set" without moving the slider writes back the code the rail has.
  static int SliderPosition(int rail, double volts);
  static double PositionVolts(int rail, int position);

  // Device change and WM_RELOAD_SETTINGS: re-read the adapter.
  void Reload();
  // The three clocks of the chosen level.
  void RefreshClocks();
  // "Set" of regulator `rail` with its slider's position.
  void SetRail(int rail);
  // "Apply" of the VGPU list and "Default".
  void ApplyGpuVoltage();
  void DefaultGpuVoltage();

  int SelectedAdapter() const { return m_nAdapter; }

 protected:
  void OnReloadSettings() override {
    Reload();
    RefreshClocks();
  }
  void RedrawValues() override { RefreshClocks(); }

 private:
  struct RailControls {
    QLabel* label;
    QSlider* slider;
    QLabel* value;
    QPushButton* set;
  };

  CDisplayAdapter* Adapter() const;
  void DisableAll();
  void ShowRailPosition(int rail, int position);

  int m_nAdapter = 0;
  bool m_bFilling = false;
  QComboBox* m_pDevices = nullptr;
  QComboBox* m_pLevels = nullptr;
  QLabel* m_pLevelLabel = nullptr;
  QLabel* m_pInfoLabels[6] = {};
  QLabel* m_pInfoValues[6] = {};
  QLabel* m_pClockLabels[3] = {};
  QLabel* m_pClockValues[3] = {};
  QComboBox* m_pVgpu = nullptr;
  QLabel* m_pVgpuLabel = nullptr;
  QPushButton* m_pApply = nullptr;
  QPushButton* m_pDefault = nullptr;
  RailControls m_rails[3] = {};
};
