#include "app/CHotKeys.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>

#include "app/GlobalKeySource.h"
#include "platform/Machine.h"
#include "rules/ProcessRules.h"

namespace {

QString g_status = QStringLiteral("Hot keys off: not installed");

// The wait cursor for the length of a scope.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

QString HotKeysStatus() { return g_status; }

CHotKeys::CHotKeys(QObject* parent) : QObject(parent) {}

CHotKeys::~CHotKeys() { Remove(); }

void CHotKeys::Install() {
  Remove();
  m_pSource = CGlobalKeySource::Create(QGuiApplication::platformName().toStdString());
  {
    std::lock_guard<std::mutex> g(m_mutex);
    m_state.Reset();
  }
  m_pSource->Start([this](int vk, bool press, bool repeat) { OnKeyEvent(vk, press, repeat); });
  g_status = QString::fromStdString(m_pSource->StatusText());
}

void CHotKeys::Remove() {
  if (!m_pSource) return;
  m_pSource->Stop();
  m_pSource.reset();
  g_status = QStringLiteral("Hot keys off: not installed");
}

int CHotKeys::State() const {
  std::lock_guard<std::mutex> g(m_mutex);
  return m_state.State();
}

void CHotKeys::OnKeyEvent(int vk, bool press, bool repeat) {
  CHotKeyState::Action action;
  {
    std::lock_guard<std::mutex> g(m_mutex);
    action = m_state.OnKey(vk, press, repeat);
  }
  if (action.kind == CHotKeyState::Action::NONE) return;
  // The work runs on the user-interface thread once the event loop gets to
  // it; the key source goes on at once.
  QPointer<CHotKeys> self(this);
  QMetaObject::invokeMethod(
      this,
      [self, action] {
        if (!self) return;
        if (action.kind == CHotKeyState::Action::PROFILE)
          self->ApplyProfile(action.index);
        else
          self->ApplyRule(action.index);
      },
      Qt::QueuedConnection);
}

void CHotKeys::ApplyProfile(int n) {
  if (!m_profileHandler) return;
  WaitCursor wait;
  m_profileHandler(n);
}

void CHotKeys::ApplyRule(int shortcut) {
  const CProcessAction* rule = m_pRules ? m_pRules->FindByShortcut(shortcut) : nullptr;
  if (!rule) {
    m_lastRuleResult = QStringLiteral("no rule on CTRL + %1").arg(QChar('a' + shortcut));
    return;
  }
  WaitCursor wait;
  const std::vector<PinOutcome> outcomes = ::ApplyRule(*rule, plat::CurrentMachine(), false);
  m_lastRuleResult = outcomes.empty() ? QStringLiteral("no process named '%1' is running")
                                            .arg(QString::fromStdString(rule->m_name))
                                      : QString::fromStdString(outcomes.front().message);
}
