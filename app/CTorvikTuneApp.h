// The application object: single-instance start, the bring-up of the driver
// channel and the SDK behind the splash, the main window, the hardware lock
// with the single-register routines, and the orderly shutdown.
//
// One per process; pages and background services reach it through TheApp().
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/KeyboardLcd.h"
#include "poll/PollCore.h"
#include "rules/ProcessRules.h"
#include "platform/GlobalMutex.h"
#include "platform/InstanceGuard.h"
#include "platform/LockTimeouts.h"
#include "sdk/core/HardwareLock.h"
#include "sdk/memory/CSPDInterface.h"

class CKMDriver;
class QUARNSDK;
class CWaitDialog;
class CTorvikTuneDlg;
class CPollThread;
class CPowerEvents;

class CTorvikTuneApp {
 public:
  // What the application shows outside its own windows; replaceable so that
  // tests can watch it without a blocking dialog.
  // What the user chose when the host's hardware was out of reach for lack
  // of root.
  enum class HostAccessChoice { Continue, RestartElevated, OpenEmulated };

  struct Hooks {
    // A warning message box (default: QMessageBox::warning without owner).
    std::function<void(const QString& text, const QString& caption)> warningBox;
    // A question with Yes and No; true for Yes (default: QMessageBox::question).
    std::function<bool(const QString& text, const QString& caption)> confirmBox;
    // Started without root on the host: says why the hardware is not
    // reachable and offers to restart elevated (when `canElevate`) or to
    // open an emulated board (default: a message box with those buttons).
    std::function<HostAccessChoice(const QString& why, bool canElevate)> hostAccessOffer;
    // Whether the process runs as root (default: its effective uid is 0).
    std::function<bool()> runningAsRoot;
    // Starts a program detached (default: QProcess::startDetached).
    std::function<bool(const QString& program, const QStringList& args)> startProcess;
    // The launcher that restarts the window through pkexec; empty = look
    // beside this program, then in PATH.
    QString elevationLauncher;
    // The gauge and hand-held-device feeds of the polling cycle.
    CPollCore::Hooks poll;
    // Re-reads the clock generators after a resume (under the hardware lock).
    std::function<void(QUARNSDK& sdk)> rereadClockGenerators;
    // Bus of the power-event subscription; empty = the system bus.
    QString powerEventBus;
    // Period of the polling thread.
    uint32_t pollPeriodMs = 1000;
  };

  // The single-instance lock and the mutex the polling thread holds during
  // each cycle.
  static constexpr const char* kInstanceLockName = "TORVIKTUNE";
  static constexpr uint32_t kPollSdkLockTimeoutMs = plat::kPollSdkTimeoutMs;

  static constexpr int kSplashScale = 30;
  static constexpr int kValidationBufferSize = 8192;

  CTorvikTuneApp();
  explicit CTorvikTuneApp(Hooks hooks);
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
  // Why the host's hardware is out of reach of a process without root.
  static QString HostAccessExplanation();

  // The hardware lock: the SDK lock (`sdkTimeoutMs`,
  // plat::kUserActionSdkTimeoutMs for a user action) and then the driver
  // channel; released in reverse. False, holding nothing, when either is not
  // obtained or the lock is already held.
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

  // The stepped change of clock generator `index` to `mhz` (steps of
  // `step` MHz) under the hardware lock; nonzero = success.
  int SetGeneratorFrequency(int index, float mhz, float step);
  // A warning message box through the application's hook.
  void Warn(const QString& text, const QString& caption);
  // A Yes/No question through the application's hook; true for Yes.
  bool Confirm(const QString& text, const QString& caption);

  // Installed memory in MB from a byte count: the integer part of MB + 0.95,
  // made even by rounding an odd result up.
  static int MemoryMBFromBytes(uint64_t bytes);

  // One polling cycle with the SDK lock time-out given; false when skipped.
  bool PollHardware(uint32_t sdkLockTimeoutMs);
  // true: start the polling thread unless it runs; false: stop it and wait
  // for it to end.
  void StartPolling(bool run);
  bool PollingRunning() const;
  CPollCore* Poll() const { return m_pPoll.get(); }
  CPollThread* PollThread() const { return m_pPollThread.get(); }

  // After a resume: re-read the clock generators under the hardware lock,
  // then make every page reload its settings.
  void OnPowerResume();
  CPowerEvents* PowerEvents() const { return m_pPowerEvents.get(); }

  // The keyboard LCD (off unless a panel or a frame file is there).
  CKeyboardLcd& Lcd() { return m_lcd; }
  void LcdShowBitmap(int resourceId) { m_lcd.LcdShowBitmap(resourceId); }
  void LcdClear() { m_lcd.LcdClear(); }
  void LcdText(int x, int y, const QString& text) { m_lcd.LcdText(x, y, text); }
  void LcdFlush() { m_lcd.LcdFlush(); }

  CTorvikTuneDlg* MainWindow() const { return m_pMainWnd; }
  CWaitDialog* Splash() const { return m_pSplash; }
  int SplashStepCount() const { return m_nSplashStep; }
  // The last status text the splash showed (kept after it closed).
  const QString& LastSplashText() const { return m_lastSplashText; }

  // State shared with the pages.
  QUARNSDK* m_pSDK = nullptr;
  CKMDriver* m_pDriver = nullptr;
  // The memory modules' SPD records, decoded once after start-up: read by
  // MemoryModules() only.
  std::unique_ptr<CSPDInterface> m_pSPD;
  // The modules once they are read and decoded; null before (and without
  // hardware). Pages hear of them by WM_RELOAD_SETTINGS.
  const CSPDInterface* MemoryModules() const { return m_bModulesRead ? m_pSPD.get() : nullptr; }
  bool MemoryModulesRead() const { return m_bModulesRead; }
  std::unique_ptr<HardwareLock> m_hardwareLock;
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
  // The process-affinity rules (the Processes page reads and saves them;
  // the hot keys act on them).
  CProcessRules m_processActions;

 private:
  bool AcquireInstanceLock();
  void ReleaseInstanceLock();
  void SplashStep(const char* text);
  void CreateFonts();

  Hooks m_hooks;
  void StartPowerEvents();

  // The memory modules' EEPROMs are read on a thread of their own once the
  // window is up: on a 100 kHz SMBus the 256 bytes of one module take about
  // 0.1 s, and the window need not wait for them. The thread holds the
  // hardware lock while it reads; what it found reaches the facade's lists
  // on the window's thread (PublishMemoryModules), where the pages walk
  // them, and the pages are told by WM_RELOAD_SETTINGS.
  void StartReadingMemoryModules();
  void PublishMemoryModules();
  void StopReadingMemoryModules();
  static constexpr uint32_t kModulesLockWaitMs = 250;
  static constexpr int kModulesRetryMs = 250;
  std::thread m_modulesThread;
  std::atomic<bool> m_bStopModules{false};
  std::unique_ptr<QObject> m_pModulesDone;  // receives the thread's note
  bool m_bModulesRead = false;

  plat::InstanceGuard m_instanceGuard{kInstanceLockName};
  std::unique_ptr<CPollCore> m_pPoll;
  std::unique_ptr<CPollThread> m_pPollThread;
  std::unique_ptr<CPowerEvents> m_pPowerEvents;
  CKeyboardLcd m_lcd;
  CWaitDialog* m_pSplash = nullptr;
  int m_nSplashStep = 0;
  QString m_lastSplashText;
  CTorvikTuneDlg* m_pMainWnd = nullptr;
  bool m_bStarted = false;
  bool m_bRestartElevated = false;

  void OfferHostAccess();
  QString ElevationLauncher() const;
};

// The application object of this process, or null.
CTorvikTuneApp* TheApp();
