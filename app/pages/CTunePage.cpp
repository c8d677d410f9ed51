#include "app/pages/CTunePage.h"

#include <QTimer>

#include "app/AppMessages.h"
#include "app/CTorvikTuneApp.h"

CTunePage::CTunePage(bool ownTimer, QWidget* parent) : QWidget(parent), m_bWantsTimer(ownTimer) {}

CTunePage::~CTunePage() = default;

void CTunePage::StartPageTimer() {
  if (!m_bWantsTimer || m_pTimer) return;
  m_pTimer = new QTimer(this);
  m_pTimer->setInterval(kTimerPeriodMs);
  connect(m_pTimer, &QTimer::timeout, this, &CTunePage::OnTimer);
  m_pTimer->start();
}

void CTunePage::OnTimer() {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->LockSdk(kTimerLockTimeoutMs)) {
    ++m_nSkippedTicks;
    return;
  }
  RedrawValues();
  ++m_nRedraws;
  app->UnlockSdk();
}

bool CTunePage::event(QEvent* e) {
  if (e->type() == CAppMessageEvent::TypeId()) {
    switch (static_cast<CAppMessageEvent*>(e)->Message()) {
      case WM_RELOAD_SETTINGS:
        OnReloadSettings();
        return true;
      case WM_REFRESH_VIEW:
        OnRefreshView();
        return true;
      default:
        break;
    }
  }
  return QWidget::event(e);
}
