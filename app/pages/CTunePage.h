// What the eight pages of the main window have in common: the application
// messages from the tab control and, for the pages that show live values,
// the one-second refresh timer.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

class CTunePage : public QWidget {
  Q_OBJECT

 public:
  // A page with `ownTimer` refreshes itself every second.
  CTunePage(bool ownTimer, QWidget* parent);
  ~CTunePage() override;

  // Timer period and the SDK-lock time-out of one tick.
  static constexpr int kTimerPeriodMs = 1000;
  static constexpr uint32_t kTimerLockTimeoutMs = 100;

  bool HasOwnTimer() const { return m_pTimer != nullptr; }
  QTimer* Timer() const { return m_pTimer; }

  // One timer tick: under the SDK lock (100 ms at most) the page redraws;
  // when the lock is busy the page skips this turn.
  void OnTimer();

  // Ticks that redrew and ticks that were skipped for a busy lock.
  int RedrawCount() const { return m_nRedraws; }
  int SkippedTickCount() const { return m_nSkippedTicks; }

 protected:
  bool event(QEvent* e) override;

  // WM_RELOAD_SETTINGS: re-read the adjustable settings from the hardware.
  virtual void OnReloadSettings() {}
  // WM_REFRESH_VIEW: redraw the values.
  virtual void OnRefreshView() {}
  // Redraw on a timer tick; the SDK lock is held.
  virtual void RedrawValues() {}

  // RedrawValues under the SDK lock (100 ms at most); false, drawing
  // nothing, when the lock is busy.
  bool RedrawUnderLock();

  // Starts the page timer; pages call it at the end of their initialisation.
  void StartPageTimer();

  // A field label (the application's label font, disabled until its value
  // is shown) and a value text (value font and colour), named by their
  // dialog ids.
  static QLabel* MakeFieldLabel(QWidget* parent, const QString& text, int id);
  static QLabel* MakeFieldValue(QWidget* parent, int id);

 private:
  QTimer* m_pTimer = nullptr;
  bool m_bWantsTimer;
  int m_nRedraws = 0;
  int m_nSkippedTicks = 0;
};
