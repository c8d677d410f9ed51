// The "Overclocking" page: the board's base clock (BCLK) and PCI Express
// clock through the clock generators, the turbo ratio limits and the turbo
// switch. Shows the current clocks next to what the slider positions would
// give and applies every pending change with one button.
#pragma once

#include "app/pages/CTunePage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;

class CPLLDlg : public CTunePage {
  Q_OBJECT

 public:
  explicit CPLLDlg(QWidget* parent);

  enum Clock { CLOCK_BCLK = 0, CLOCK_RAM = 1, CLOCK_PCIE = 2, CLOCK_PCI = 3 };
  static constexpr int kMinRatio = 12;
  static constexpr int kMaxRatio = 65;
  static constexpr float kRampStepMHz = 10.0f;

  // "Restore" and WM_RELOAD_SETTINGS: turbo part, clock part, ratio texts.
  void Reload();
  // "Apply Selection".
  void Apply();

  // State (read by tests).
  int BclkGenerator() const { return m_nBclkGenerator; }
  int PcieGenerator() const { return m_nPcieGenerator; }
  float Current(Clock c) const { return m_fCurrent[c]; }
  float Selection(Clock c) const { return m_fSelection[c]; }
  int Ratio(int k) const { return m_nRatio[k - 1]; }
  int Turbo() const { return m_nTurbo; }
  bool Linked() const { return m_bLinked; }

 protected:
  void OnReloadSettings() override { Reload(); }

  // The DRAM clock for a bus clock and multiplier from the chipset
  // interface's memory information, or -1.
  virtual float DramClockFor(float busClockMHz, float multiplier);
  // After an apply with the "Brink O/C" box checked: one polling cycle,
  // then the validation file in the minute's folder.
  virtual void WriteValidationAfterApply();

 private:
  struct ClockSlider {
    QSlider* slider;
    QPushButton* left;
    QPushButton* right;
    QLabel* label;
    int* generator;
    bool changed;
  };

  void ReloadTurbo();
  void ReloadClocks();
  void ShowRatioTexts();
  void EnableClockSlider(ClockSlider& c, bool on);
  // Selections for position `mhz` of generator `g`; false without one.
  bool UpdateSelection(int g, int mhz);
  void OnClockSlider(ClockSlider& c, int position);
  void OnClockArrow(ClockSlider& c, int delta);
  void OnRatio(int k, int value);
  void ShowValue(QLabel* l, float v);
  // The Sandy Bridge turbo ratio register's address; false when not found.
  bool SandyBridgeRatioAddress(uint32_t* base);

  int m_nBclkGenerator = -1;
  int m_nPcieGenerator = -1;
  bool m_bRatiosChanged = false;
  int m_nRatio[6] = {-1, -1, -1, -1, -1, -1};
  int m_nTurbo = -1;
  bool m_bLinked = false;
  int m_nCores = 0;
  float m_fCurrent[4] = {-1, -1, -1, -1};
  float m_fSelection[4] = {-1, -1, -1, -1};
  float m_fMultiplier = -1;
  bool m_bLoading = false;

  ClockSlider m_bclk{};
  ClockSlider m_pcie{};
  QLabel* m_current[5] = {};    // CPU, BCLK, RAM, PCIE, PCI
  QLabel* m_selection[5] = {};
  QSlider* m_ratioSlider[6] = {};
  QPushButton* m_ratioLeft[6] = {};
  QPushButton* m_ratioRight[6] = {};
  QLabel* m_ratioLabel[6] = {};
  QLabel* m_ratioText[6] = {};
  QGroupBox* m_turboFrame = nullptr;
  QCheckBox* m_turboMode = nullptr;
  QCheckBox* m_brinkOC = nullptr;
  QPushButton* m_restore = nullptr;
  QPushButton* m_apply = nullptr;
};
