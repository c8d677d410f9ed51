#include "app/PowerEvents.h"

#include <QDBusConnection>

CPowerEvents::CPowerEvents(std::function<void()> onResume, QObject* parent)
    : QObject(parent), m_onResume(std::move(onResume)) {}

CPowerEvents::~CPowerEvents() { Stop(); }

bool CPowerEvents::Start(const QString& busAddress) {
  if (m_bActive) return true;
  m_bPrivateBus = !busAddress.isEmpty();
  m_connectionName = m_bPrivateBus ? QStringLiteral("torvik-power-events-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)
                                   : QStringLiteral("qt_default_system_bus");
  QDBusConnection bus = m_bPrivateBus ? QDBusConnection::connectToBus(busAddress, m_connectionName)
                                      : QDBusConnection::systemBus();
  if (bus.isConnected() &&
      bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                  QString::fromLatin1(kSignal), this, SLOT(OnPrepareForSleep(bool)))) {
    m_bActive = true;
    return true;
  }
  if (m_bPrivateBus) QDBusConnection::disconnectFromBus(m_connectionName);
  return false;
}

void CPowerEvents::Stop() {
  if (!m_bActive) return;
  m_bActive = false;
  QDBusConnection bus = m_bPrivateBus ? QDBusConnection(m_connectionName) : QDBusConnection::systemBus();
  bus.disconnect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                 QString::fromLatin1(kSignal), this, SLOT(OnPrepareForSleep(bool)));
  if (m_bPrivateBus) QDBusConnection::disconnectFromBus(m_connectionName);
}

void CPowerEvents::OnPrepareForSleep(bool start) {
  if (!start && m_onResume) m_onResume();
}
