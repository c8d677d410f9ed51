// The subscription to the system's power events: systemd-logind announces
// a suspend with PrepareForSleep(true) and the resume with
// PrepareForSleep(false) on the system bus. On a resume the callback runs
// (on the thread that owns this object).
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class CPowerEvents : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kService = "org.freedesktop.login1";
  static constexpr const char* kPath = "/org/freedesktop/login1";
  static constexpr const char* kInterface = "org.freedesktop.login1.Manager";
  static constexpr const char* kSignal = "PrepareForSleep";

  explicit CPowerEvents(std::function<void()> onResume, QObject* parent = nullptr);
  ~CPowerEvents() override;

  // Subscribes on the system bus, or on the bus at `busAddress` when given.
  // False, quietly, when there is no such bus or the match is refused.
  bool Start(const QString& busAddress = QString());
  void Stop();
  bool Active() const { return m_bActive; }

 private Q_SLOTS:
  void OnPrepareForSleep(bool start);

 private:
  std::function<void()> m_onResume;
  QString m_connectionName;
  bool m_bActive = false;
  bool m_bPrivateBus = false;
};
