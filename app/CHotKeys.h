// The global hot keys of the main window: the key source feeds the
// two-key state machine; what a sequence asks for runs later on the
// user-interface thread, never on the key-event path.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

#include "app/CHotKeyState.h"

class CGlobalKeySource;
class CProcessRules;

class CHotKeys : public QObject {
  Q_OBJECT

 public:
  // Loads profile `n` (1 .. 8) and applies it when it is read whole.
  using ProfileHandler = std::function<void(int n)>;

  explicit CHotKeys(QObject* parent = nullptr);
  ~CHotKeys() override;

  // Starts the global key source of the running window system; the status
  // tells whether the hot keys are on and, when not, why.
  void Install();
  void Remove();

  // One key event of the session, from any thread.
  void OnKeyEvent(int vk, bool press, bool repeat = false);

  void SetProfileHandler(ProfileHandler handler) { m_profileHandler = std::move(handler); }
  // The rule list hot keys act on (the application's; none = no rules).
  void SetRules(const CProcessRules* rules) { m_pRules = rules; }

  // What the last rule hot key did ("" before the first).
  const QString& LastRuleResult() const { return m_lastRuleResult; }
  int State() const;

  // Ctrl + letter: pins the first running process the rule of `shortcut`
  // names. Errors are not shown; the result is kept in LastRuleResult().
  void ApplyRule(int shortcut);
  // Alt + digit.
  void ApplyProfile(int n);

 private:
  mutable std::mutex m_mutex;  // guards m_state
  CHotKeyState m_state;
  std::unique_ptr<CGlobalKeySource> m_pSource;
  ProfileHandler m_profileHandler;
  const CProcessRules* m_pRules = nullptr;
  QString m_lastRuleResult;
};

// Whether the hot keys are on, and if not why: for the Options page.
QString HotKeysStatus();
