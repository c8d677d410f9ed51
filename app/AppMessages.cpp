#include "app/AppMessages.h"

QEvent::Type CAppMessageEvent::TypeId() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}
