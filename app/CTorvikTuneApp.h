// The application object: single-instance start, the bring-up of the driver
// channel and the SDK behind the splash, the main window, the hardware lock
// with the single-register routines, and the orderly shutdown.
//
// One per process; pages and background services reach it through TheApp().
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/GlobalMutex.h"

class CKMDriver;
class QUARNSDK;
class CWaitDialog;
class CTorvikTuneDlg;

class CTorvikTuneApp {
 public:
  // What the application shows outside its own windows; replaceable so that
  // tests can watch it without a blocking dialog.
  struct Hooks {
    // A warning message box (default: QMessageBox::warning without owner).
    std::function<void(const QString& text, const QString& caption)> warningBox;
  };

  static constexpr int kSplashScale = 30;
  static constexpr uint32_t kDriverLockTimeoutMs = 2000;
  static constexpr int kValidationBufferSize = 8192;

  explicit CTorvikTuneApp(Hooks hooks = {});
  ~CTorvikTuneApp();
  CTorvikTuneApp(const CTorvikTuneApp&) = delete;
  CTorvikTuneApp& operator=(const CTorvikTuneApp&) = delete;

  // Start-up up to a shown main window. False when another instance runs:
  // nothing was started and the program ends.
  bool InitInstance();
  // Runs the main window until it closes; returns its result.
  int Run();
  // Shutdown; safe to call more than once.
  void ExitInstance();

  // Driver channel, SDK interfaces and installed memory, behind the splash.
  void InitHardware();

  // The hardware lock: the SDK lock (`sdkTimeoutMs`, plat::kInfinite for a
  // user action) and then the driver channel (2000 ms); released in
  // reverse. False, holding nothing, when either is not obtained.
  bool LockHardware(uint32_t sdkTimeoutMs);
  void UnlockHardware();
  // The SDK lock alone (page refreshes).
  bool LockSdk(uint32_t timeoutMs);
  void UnlockSdk();

  // Single-register routines of user actions: each takes the hardware lock
  // without time limit. Outputs are preset to all ones; nonzero = success.
  int ReadMSR(int processor, int core, uint32_t reg, uint32_t* high, uint32_t* low);
  int WriteMSR(int processor, int core, uint32_t reg, uint32_t high, uint32_t low);
  int ReadPCIConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t* value);
  int WritePCIConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg, uint32_t value);
  int ReadPhysDword(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t* value);
  int WritePhysDword(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t value);

  // Installed memory in MB from a byte count: the integer part of MB + 0.95,
  // made even by rounding an odd result up.
  static int MemoryMBFromBytes(uint64_t bytes);

  CTorvikTuneDlg* MainWindow() const { return m_pMainWnd; }
  CWaitDialog* Splash() const { return m_pSplash; }
  int SplashStepCount() const { return m_nSplashStep; }
  // The last status text the splash showed (kept after it closed).
  const QString& LastSplashText() const { return m_lastSplashText; }

  // State shared with the pages.
  QUARNSDK* m_pSDK = nullptr;
  CKMDriver* m_pDriver = nullptr;
  std::vector<char> m_pValidationText;
  std::vector<char> m_pValidationList;
  int m_bWMIActive = 0;
  QFont m_fontValue;
  QFont m_fontLabel;
  QColor m_crValueText{0x00, 0x00, 0x80};
  int m_nSelectedProcessor = 0;
  int m_nSelectedCore = 0;
  int m_nMemoryMB = -1;
  int m_nBoardId = -1;
  int m_bZundoPolling = 0;

 private:
  bool AcquireInstanceLock();
  void ReleaseInstanceLock();
  void SplashStep(const char* text);
  void CreateFonts();

  Hooks m_hooks;
  plat::MutexHandle m_hInstanceMutex = nullptr;
  CWaitDialog* m_pSplash = nullptr;
  int m_nSplashStep = 0;
  QString m_lastSplashText;
  CTorvikTuneDlg* m_pMainWnd = nullptr;
  bool m_bStarted = false;
};

// The application object of this process, or null.
CTorvikTuneApp* TheApp();
