// The "Voltages" page: up to twelve adjustable supply rails of the board's
// voltage controllers, each a drop-down list of the voltages (or offsets)
// the rail can take with the current setting selected; "Apply Selection"
// writes the rails whose choice the user changed. Every controller access
// takes the application's hardware lock.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "app/pages/CTunePage.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class CBoardControl;

// One visible rail position of the page.
class COutputControlItem {
 public:
  QComboBox* list = nullptr;
  QLabel* label = nullptr;
  int controller = -1;
  int row = -1;
  int p = 0;  // settings from the base up
  int m = 0;  // settings below the base
  QString name;       // the rail's own label, without the processor prefix
  int loaded = -1;    // the entry the last reload selected (-1: none)
};

class CTweakingDlg : public CTunePage {
  Q_OBJECT

 public:
  static constexpr int kSlots = 12;
  static constexpr int kLabelIds[kSlots] = {1034, 1036, 1038, 1040, 1042, 1044, 1046, 1048, 1050, 1053, 1055, 1059};
  static constexpr int kListIds[kSlots] = {1033, 1035, 1037, 1039, 1041, 1043, 1045, 1047, 1049, 1052, 1054, 1058};
  static constexpr int kApplyId = 1051;
  static constexpr int kFrameId = 1094;
  static constexpr int kApplyPauseMs = 100;

  explicit CTweakingDlg(QWidget* parent);

  // Reads the rails again (after selecting the processor's branch on the
  // dual-processor boards) and refills the lists.
  void Reload();
  // Writes every filled slot whose selection differs from what the last
  // reload showed, pausing after each, then reloads.
  void Apply();

  const COutputControlItem& Slot(int i) const { return m_slots[i]; }
  QPushButton* ApplyButton() const { return m_apply; }
  // Why the last apply left rails unwritten ("" when none).
  QString LastRefusals() const { return m_refusals; }

 protected:
  void OnReloadSettings() override { Reload(); }

 private:
  CBoardControl* Control() const;

  COutputControlItem m_slots[kSlots];
  QGroupBox* m_frame = nullptr;
  QPushButton* m_apply = nullptr;
  QLabel* m_status = nullptr;
  QString m_refusals;
};
