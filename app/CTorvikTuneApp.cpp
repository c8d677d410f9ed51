#include "app/CTorvikTuneApp.h"

#include <QApplication>
#include <QDir>
#include <QMetaObject>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <unistd.h>

#include "app/CTorvikTuneDlg.h"
#include "app/CWaitDialog.h"
#include "app/AppMessages.h"
#include "app/PowerEvents.h"
#include "poll/PollThread.h"
#include "app/ProcessorList.h"
#include "driver/CKMDriver.h"
#include "machines/MachineSelect.h"
#include "platform/Machine.h"
#include "platform/host/HostMachine.h"
#include "sdk/clock/CPLL.h"
#include "sdk/clock/CPLLInterface.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/core/SdkStartup.h"

namespace {

CTorvikTuneApp* g_app = nullptr;

}  // namespace

CTorvikTuneApp* TheApp() { return g_app; }

CTorvikTuneApp::CTorvikTuneApp() : CTorvikTuneApp(Hooks{}) {}

CTorvikTuneApp::CTorvikTuneApp(Hooks hooks) : m_hooks(std::move(hooks)) {
  if (!m_hooks.warningBox) {
    m_hooks.warningBox = [](const QString& text, const QString& caption) {
      QMessageBox::warning(nullptr, caption, text);
    };
  }
  if (!m_hooks.confirmBox) {
    m_hooks.confirmBox = [](const QString& text, const QString& caption) {
      return QMessageBox::question(nullptr, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
             QMessageBox::Yes;
    };
  }
  if (!m_hooks.hostAccessOffer) {
    m_hooks.hostAccessOffer = [](const QString& why, bool canElevate) {
      QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), QStringLiteral("Error during driver initialization"));
      box.setInformativeText(why);
      box.setDetailedText(QString::fromStdString(plat::CurrentMachine().DriverService().Describe()));
      QPushButton* elevate = box.addButton(QStringLiteral("Restart as Administrator"), QMessageBox::AcceptRole);
      elevate->setEnabled(canElevate);
      if (!canElevate) elevate->setToolTip(QStringLiteral("torviktune-pkexec is not installed"));
      QPushButton* emulated = box.addButton(QStringLiteral("Open Emulated Board"), QMessageBox::ActionRole);
      QPushButton* stay = box.addButton(QStringLiteral("Continue Without Hardware"), QMessageBox::RejectRole);
      box.setDefaultButton(canElevate ? elevate : emulated);
      box.setEscapeButton(stay);
      box.exec();
      if (box.clickedButton() == elevate) return HostAccessChoice::RestartElevated;
      if (box.clickedButton() == emulated) return HostAccessChoice::OpenEmulated;
      return HostAccessChoice::Continue;
    };
  }
  if (!m_hooks.runningAsRoot) m_hooks.runningAsRoot = [] { return geteuid() == 0; };
  if (!m_hooks.startProcess)
    m_hooks.startProcess = [](const QString& program, const QStringList& args) {
      return QProcess::startDetached(program, args);
    };
  g_app = this;
}

CTorvikTuneApp::~CTorvikTuneApp() {
  ExitInstance();
  if (g_app == this) g_app = nullptr;
}

// The instance lock is a file lock that the kernel drops when its holder
// ends, so a crashed copy never keeps a new one from starting. The named
// mutex of the same name is left free for the polling thread, which holds it
// during each cycle.
bool CTorvikTuneApp::AcquireInstanceLock() { return m_instanceGuard.TryAcquire(); }

void CTorvikTuneApp::ReleaseInstanceLock() { m_instanceGuard.Release(); }

bool CTorvikTuneApp::InitInstance() {
  if (!AcquireInstanceLock()) return false;
  m_bStarted = true;

  m_nSelectedProcessor = 0;
  m_nSelectedCore = 0;
  m_nMemoryMB = -1;
  m_nBoardId = -1;
  m_pValidationText.assign(kValidationBufferSize, 0);
  m_pValidationList.assign(kValidationBufferSize, 0);
  m_crValueText = QColor(0x00, 0x00, 0x80);

  m_pSplash = new CWaitDialog;
  m_pSplash->show();
  m_pSplash->repaint();
  QApplication::processEvents();

  InitHardware();

  m_pSplash->OnSplashClose();
  delete m_pSplash;
  m_pSplash = nullptr;

  if (m_bRestartElevated) {
    m_bRestartElevated = false;
    // The elevated copy must not find this one holding the instance lock.
    ReleaseInstanceLock();
    const QString launcher = ElevationLauncher();
    if (m_hooks.startProcess(launcher, {QStringLiteral("--machine"), QStringLiteral("host")})) return false;
    Warn(QStringLiteral("%1 could not be started.").arg(launcher), QStringLiteral("Error"));
    AcquireInstanceLock();
  }

  CreateFonts();
  m_pPoll = std::make_unique<CPollCore>(m_pSDK, m_pDriver, m_hooks.poll);
  m_pPollThread = std::make_unique<CPollThread>([this] { PollHardware(kPollSdkLockTimeoutMs); },
                                                kInstanceLockName, m_hooks.pollPeriodMs);
  StartPolling(true);

  m_pMainWnd = new CTorvikTuneDlg;
  m_pMainWnd->show();
  StartReadingMemoryModules();
  return true;
}

int CTorvikTuneApp::Run() {
  if (!m_pMainWnd) return 0;
  return m_pMainWnd->exec();
}

void CTorvikTuneApp::SplashStep(const char* text) {
  ++m_nSplashStep;
  if (text) m_lastSplashText = QString::fromLatin1(text);
  if (m_pSplash) m_pSplash->OnSplashProgress(m_nSplashStep * 100 / kSplashScale, text);
}

void CTorvikTuneApp::InitHardware() {
  SplashStep(nullptr);
  // The process-rule list is created here once it exists.
  m_pDriver = new CKMDriver;
  m_pSPD = std::make_unique<CSPDInterface>();
  const QByteArray temp = QDir::toNativeSeparators(QDir::tempPath()).toLocal8Bit();
  uint32_t error = 0, version = 0;
  DriverStartResult started = StartDriverChannel(*m_pDriver, temp.constData(), &error, &version);
  SplashStep(nullptr);
  if (started == DriverStartResult::OpenFailed) {
    if (!plat::CurrentMachine().IsEmulated() && !m_hooks.runningAsRoot()) {
      OfferHostAccess();
      return;
    }
    m_hooks.warningBox(QStringLiteral("Error during driver initialization"), QStringLiteral("Error"));
    return;
  }
  // A driver of another version was closed and removed: run without SDK.
  if (started == DriverStartResult::WrongVersion) return;

  SplashStep(nullptr);
  m_pSDK = QUARNSDK::GetInstance();
  SdkStartupHooks hooks;
  hooks.step = [this](const char* text) { SplashStep(text); };
  // The memory modules come after the window (StartReadingMemoryModules).
  SdkStartupResult result = CreateSdkInterfaces(*m_pSDK, *m_pDriver, hooks);
  m_nBoardId = result.boardHash;

  // The system's figure until the modules are read.
  m_nMemoryMB = InstalledMemoryMB(MemoryMBFromBytes(plat::CurrentMachine().TotalPhysicalMemory()), nullptr);

  m_lcd.Start();
  StartPowerEvents();
}

QString CTorvikTuneApp::HostAccessExplanation() {
  std::string missing;
  if (auto* service = dynamic_cast<plat::HostDriverService*>(&plat::CurrentMachine().DriverService()))
    missing = plat::RootOnlyFacilitiesMissing(service->Hardware().Facilities());
  if (missing.empty()) missing = "I/O ports, MSRs and physical memory";
  return QStringLiteral(
             "The hardware of this computer is not reachable: torviktune runs as user id %1, and the kernel "
             "gives %2 to root only.\n\nRestart it as administrator (you will be asked for a password), or open "
             "an emulated board to try the program.")
      .arg(geteuid())
      .arg(QString::fromStdString(missing));
}

QString CTorvikTuneApp::ElevationLauncher() const {
  if (!m_hooks.elevationLauncher.isEmpty()) return m_hooks.elevationLauncher;
  const QString name = QStringLiteral("torviktune-pkexec");
  QString found = QStandardPaths::findExecutable(name, {QCoreApplication::applicationDirPath()});
  return found.isEmpty() ? QStandardPaths::findExecutable(name) : found;
}

void CTorvikTuneApp::OfferHostAccess() {
  const QString launcher = ElevationLauncher();
  switch (m_hooks.hostAccessOffer(HostAccessExplanation(), !launcher.isEmpty())) {
    case HostAccessChoice::RestartElevated:
      m_bRestartElevated = !launcher.isEmpty();
      break;
    case HostAccessChoice::OpenEmulated: {
      std::string error;
      if (!machines::SelectMachine("emulated", &error)) {
        Warn(QString::fromStdString(error), QStringLiteral("Error"));
        break;
      }
      // Start again on the emulated board with a fresh channel.
      m_pDriver->Close(false, false);
      delete m_pDriver;
      m_pDriver = nullptr;
      m_pSPD.reset();
      InitHardware();
      break;
    }
    case HostAccessChoice::Continue:
      break;
  }
}

void CTorvikTuneApp::StartPowerEvents() {
  m_pPowerEvents = std::make_unique<CPowerEvents>([this] { OnPowerResume(); });
  m_bWMIActive = m_pPowerEvents->Start(m_hooks.powerEventBus) ? 1 : 0;
  if (!m_bWMIActive) m_pPowerEvents.reset();
}

bool CTorvikTuneApp::PollHardware(uint32_t sdkLockTimeoutMs) {
  return m_pPoll && m_pPoll->PollHardware(sdkLockTimeoutMs);
}

void CTorvikTuneApp::StartPolling(bool run) {
  if (!m_pPollThread) return;
  if (run)
    m_pPollThread->Start();
  else
    m_pPollThread->Stop();
}

bool CTorvikTuneApp::PollingRunning() const { return m_pPollThread && m_pPollThread->Running(); }

void CTorvikTuneApp::OnPowerResume() {
  if (LockHardware(plat::kUserActionSdkTimeoutMs)) {
    if (m_hooks.rereadClockGenerators) m_hooks.rereadClockGenerators(*m_pSDK);
    else if (m_pSDK && m_pSDK->FindInterface(INTERFACE_PLL))
      for (int i = 0; i < PLLCount(); ++i) PLLAt(i)->Read();
    UnlockHardware();
  }
  if (m_pMainWnd) {
    CAppMessageEvent reload(WM_RELOAD_SETTINGS);
    QCoreApplication::sendEvent(m_pMainWnd, &reload);
  }
}

int CTorvikTuneApp::SetGeneratorFrequency(int index, float mhz, float step) {
  if (!LockHardware(plat::kInfinite)) return 0;
  int r = SetPLLFrequency(index, mhz, step);
  UnlockHardware();
  return r;
}

void CTorvikTuneApp::Warn(const QString& text, const QString& caption) {
  if (m_hooks.warningBox) m_hooks.warningBox(text, caption);
}

bool CTorvikTuneApp::Confirm(const QString& text, const QString& caption) {
  return m_hooks.confirmBox && m_hooks.confirmBox(text, caption);
}

int CTorvikTuneApp::MemoryMBFromBytes(uint64_t bytes) { return SystemMemoryMB(bytes); }

void CTorvikTuneApp::CreateFonts() {
  // The system's sans-serif, normal weight; a cell height of 14 pixels is
  // an em of 12.
  QFont f(QStringLiteral("Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(12);
  f.setWeight(QFont::Normal);
  f.setItalic(false);
  f.setUnderline(false);
  f.setStrikeOut(false);
  m_fontValue = f;
  m_fontLabel = f;
}

void CTorvikTuneApp::StartReadingMemoryModules() {
  if (!m_pSDK || !m_pDriver || !m_pSPD || m_modulesThread.joinable() || m_bModulesRead) return;
  CMainboard* board = m_pSDK->GetMainboard();
  m_pSPD->boardHash = board ? board->boardHash : -1;
  m_pSPD->holdBack = true;
  m_bStopModules = false;
  m_pModulesDone = std::make_unique<QObject>();
  QObject* done = m_pModulesDone.get();
  m_modulesThread = std::thread([this, done] {
    // The lock in short waits, so that closing the window never waits for
    // another program that keeps the SDK lock.
    while (!m_bStopModules) {
      HardwareLock lock(m_pSDK, m_pDriver, kModulesLockWaitMs);
      if (!lock) {
        // A lock that fails at once (not a wait that ran out) is tried
        // again after the same pause, not in a tight loop.
        if (lock.SdkStatus() != plat::kWaitTimeout) plat::CurrentMachine().Sleep(kModulesLockWaitMs);
        continue;
      }
      if (m_pSPD->Detect()) m_pSPD->Decode();
      lock.Unlock();
      // Runs on the window's thread. The receiver lives until this thread
      // is joined; a note still queued when it is deleted is dropped.
      QMetaObject::invokeMethod(done, [this] { PublishMemoryModules(); }, Qt::QueuedConnection);
      return;
    }
  });
}

void CTorvikTuneApp::PublishMemoryModules() {
  if (!m_modulesThread.joinable() || !m_pModulesDone) return;
  // Under the hardware lock, as far as a page tick waits for it: the
  // facade's lists change under the poll and the pages. A busy lock is
  // tried again a little later rather than holding the window up.
  HardwareLock lock(m_pSDK, m_pDriver, plat::kRedrawSdkTimeoutMs);
  if (!lock) {
    QTimer::singleShot(kModulesRetryMs, m_pModulesDone.get(), [this] { PublishMemoryModules(); });
    return;
  }
  m_modulesThread.join();
  m_pSPD->Publish();
  m_pSPD->holdBack = false;
  lock.Unlock();
  m_pModulesDone.reset();
  m_bModulesRead = true;
  // The modules' sum replaces the system's figure when it is larger.
  m_nMemoryMB = InstalledMemoryMB(m_nMemoryMB, m_pSPD.get());
  if (m_pMainWnd) {
    CAppMessageEvent reload(WM_RELOAD_SETTINGS);
    QCoreApplication::sendEvent(m_pMainWnd, &reload);
  }
}

void CTorvikTuneApp::StopReadingMemoryModules() {
  // Whatever the thread found and was not published stays with the SPD
  // interface, which deletes it.
  m_bStopModules = true;
  if (m_modulesThread.joinable()) m_modulesThread.join();
  m_pModulesDone.reset();
}

void CTorvikTuneApp::ExitInstance() {
  if (!m_bStarted) return;
  m_bStarted = false;
  // The modules' thread ends before the window and the facade go; what it
  // found and was not yet handed over goes with the SPD interface.
  StopReadingMemoryModules();
  // The polling thread ends before anything it reads goes away.
  StartPolling(false);
  delete m_pMainWnd;
  m_pMainWnd = nullptr;
  delete m_pSplash;
  m_pSplash = nullptr;

  m_pPollThread.reset();
  m_pPoll.reset();
  ReleaseInstanceLock();
  m_lcd.Shutdown();
  if (m_pPowerEvents) m_pPowerEvents->Stop();
  m_pPowerEvents.reset();
  m_bWMIActive = 0;

  m_hardwareLock.reset();
  if (m_pSDK) {
    // Shutdown under the driver lock, the facade released, the channel
    // closed with stop and delete.
    ShutdownSdk(m_pDriver);
    m_pSDK = nullptr;
  } else if (m_pDriver) {
    m_pDriver->Close(true, true);
  }
  m_pSPD.reset();
  delete m_pDriver;
  m_pDriver = nullptr;

  m_pValidationText.clear();
  m_pValidationList.clear();
}

// ------------------------------------------------------------ hardware lock

bool CTorvikTuneApp::LockSdk(uint32_t timeoutMs) {
  if (!m_pSDK) return false;
  uint32_t status = 0;
  return m_pSDK->Lock(&status, timeoutMs);
}

void CTorvikTuneApp::UnlockSdk() {
  if (m_pSDK) m_pSDK->Unlock();
}

bool CTorvikTuneApp::LockHardware(uint32_t sdkTimeoutMs) {
  if (!m_pDriver || !m_pSDK || m_hardwareLock) return false;
  auto lock = std::make_unique<HardwareLock>(m_pSDK, m_pDriver, sdkTimeoutMs);
  if (!*lock) return false;
  m_hardwareLock = std::move(lock);
  return true;
}

void CTorvikTuneApp::UnlockHardware() { m_hardwareLock.reset(); }

int CTorvikTuneApp::ReadMSR(int processor, int core, uint32_t reg, uint32_t* high, uint32_t* low) {
  *high = 0xFFFFFFFF;
  *low = 0xFFFFFFFF;
  if (!m_pSDK) return 0;
  HardwareLock lock(m_pSDK, m_pDriver, plat::kUserActionSdkTimeoutMs);
  if (!lock) return 0;
  return BindToProcessorCore(processor, core) && m_pDriver->ReadMSR(reg, high, low);
}

int CTorvikTuneApp::WriteMSR(int processor, int core, uint32_t reg, uint32_t high, uint32_t low) {
  if (!m_pSDK) return 0;
  HardwareLock lock(m_pSDK, m_pDriver, plat::kUserActionSdkTimeoutMs);
  if (!lock) return 0;
  return BindToProcessorCore(processor, core) && m_pDriver->WriteMSR(reg, high, low);
}

// Configuration space is reached the way the PCI interface reaches it: one
// dword through the driver channel.
int CTorvikTuneApp::ReadPCIConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                  uint32_t* value) {
  *value = 0xFFFFFFFF;
  if (!m_pSDK) return 0;
  HardwareLock lock(m_pSDK, m_pDriver, plat::kUserActionSdkTimeoutMs);
  if (!lock) return 0;
  return m_pDriver->ReadPCIConfig(bus, device, function, reg, 4, value);
}

int CTorvikTuneApp::WritePCIConfig(uint32_t bus, uint32_t device, uint32_t function, uint32_t reg,
                                   uint32_t value) {
  if (!m_pSDK) return 0;
  HardwareLock lock(m_pSDK, m_pDriver, plat::kUserActionSdkTimeoutMs);
  if (!lock) return 0;
  return m_pDriver->WritePCIConfig(bus, device, function, reg, 4, &value);
}

int CTorvikTuneApp::ReadPhysDword(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t* value) {
  *value = 0xFFFFFFFF;
  if (!m_pSDK) return 0;
  HardwareLock lock(m_pSDK, m_pDriver, plat::kUserActionSdkTimeoutMs);
  if (!lock) return 0;
  return m_pDriver->ReadPhysical32(addressHigh, base, offset, value);
}

int CTorvikTuneApp::WritePhysDword(uint32_t addressHigh, uint32_t base, uint32_t offset, uint32_t value) {
  if (!m_pSDK) return 0;
  HardwareLock lock(m_pSDK, m_pDriver, plat::kUserActionSdkTimeoutMs);
  if (!lock) return 0;
  return m_pDriver->WritePhysical32At(addressHigh, base, offset, value);
}
