#include "app/ProfileActions.h"

#include <QApplication>
#include <QCoreApplication>

#include "app/AppMessages.h"
#include "app/CTorvikTuneApp.h"
#include "app/CTorvikTuneDlg.h"

namespace {

const QString kCaption = QStringLiteral("Profiles");

ProfileOutcome NoHardware() {
  ProfileOutcome o;
  o.status = ProfileOutcome::Status::Failed;
  o.message = "The hardware cannot be reached.";
  return o;
}

// The wait cursor for the length of a scope.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

ProfileOutcome LoadAndApplyProfile(int n) {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->m_pSDK || !app->m_pDriver) return NoHardware();
  ProfileOutcome o;
  {
    WaitCursor wait;
    o = ApplyProfileNumber(n, *app->m_pSDK, *app->m_pDriver, false);
  }
  if (o.status == ProfileOutcome::Status::OtherBoard) {
    const QString question = QString::fromStdString(o.message) +
                             QStringLiteral("\nIts clocks and voltages may not suit this board. Apply it anyway?");
    if (!app->Confirm(question, kCaption)) return o;
    WaitCursor wait;
    o = ApplyProfileNumber(n, *app->m_pSDK, *app->m_pDriver, true);
  }
  if (o.Wrote() && app->MainWindow()) {
    CAppMessageEvent reload(WM_RELOAD_SETTINGS);
    QCoreApplication::sendEvent(app->MainWindow(), &reload);
  }
  switch (o.status) {
    case ProfileOutcome::Status::Rejected:
    case ProfileOutcome::Status::Refused:
    case ProfileOutcome::Status::Failed:
      app->Warn(QString::fromStdString(o.message), kCaption);
      break;
    default:
      break;
  }
  return o;
}

ProfileOutcome SaveCurrentProfile(int n) {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->m_pSDK || !app->m_pDriver) return NoHardware();
  WaitCursor wait;
  return SaveProfileNumber(n, *app->m_pSDK, *app->m_pDriver);
}
