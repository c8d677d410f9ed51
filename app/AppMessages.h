// Messages between the main window, the tab control and the pages.
//
// A message is delivered synchronously (QCoreApplication::sendEvent) as a
// CAppMessageEvent carrying the message number, so a page can tell a
// settings reload from a view refresh exactly as the numbers say.
#pragma once

#include <QEvent>
#include <cstdint>

// Re-read the adjustable settings from the hardware.
inline constexpr uint32_t WM_RELOAD_SETTINGS = 0xA40;
// Redraw the measured values.
inline constexpr uint32_t WM_REFRESH_VIEW = 0xA41;
// Splash: close itself.
inline constexpr uint32_t WM_SPLASH_CLOSE = 0xA5F;
// Splash: progress position 0..100 and an optional status text.
inline constexpr uint32_t WM_SPLASH_PROGRESS = 0xA60;

// Registered by name by other programs that want the utility to close; the
// main window accepts it and does nothing.
inline constexpr const char* kCloseAppMessageName = "TVK_CLOSE_APP";

class CAppMessageEvent : public QEvent {
 public:
  explicit CAppMessageEvent(uint32_t message) : QEvent(TypeId()), m_message(message) {}
  uint32_t Message() const { return m_message; }

  // The event type shared by all application messages.
  static QEvent::Type TypeId();

 private:
  uint32_t m_message;
};
