#include "app/pages/CTunePage.h"

#include <QLabel>
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
  if (!RedrawUnderLock()) {
    ++m_nSkippedTicks;
    return;
  }
  ++m_nRedraws;
}

bool CTunePage::RedrawUnderLock() {
  CTorvikTuneApp* app = TheApp();
  if (!app || !app->LockSdk(kTimerLockTimeoutMs)) return false;
  RedrawValues();
  app->UnlockSdk();
  return true;
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

QLabel* CTunePage::MakeFieldLabel(QWidget* parent, const QString& text, int id) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::number(id));
  // Labels and values carry strings from the hardware (a module's part
  // number, the brand string): shown as they are, never read as markup.
  l->setTextFormat(Qt::PlainText);
  if (CTorvikTuneApp* app = TheApp()) l->setFont(app->m_fontLabel);
  l->setEnabled(false);
  return l;
}

QLabel* CTunePage::MakeFieldValue(QWidget* parent, int id) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::number(id));
  l->setTextFormat(Qt::PlainText);
  CTorvikTuneApp* app = TheApp();
  if (app) l->setFont(app->m_fontValue);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, app ? app->m_crValueText : QColor(0x00, 0x00, 0x80));
  l->setPalette(pal);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}
