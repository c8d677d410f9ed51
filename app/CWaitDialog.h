// The start-up splash: a picture above a progress bar and a status line,
// shown while the driver and the SDK come up.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

class CWaitDialog : public QWidget {
  Q_OBJECT

 public:
  explicit CWaitDialog(QWidget* parent = nullptr);

  // WM_SPLASH_PROGRESS: bar position 0..100; the status line changes only
  // when `text` is not null. Paints at once (the caller blocks the loop).
  void OnSplashProgress(int position, const char* text);
  // WM_SPLASH_CLOSE.
  void OnSplashClose();

  int Position() const;
  QString StatusText() const;

 private:
  QLabel* m_pPicture;
  QProgressBar* m_pProgress;
  QLabel* m_pStatus;
};
