// Where the global hot keys come from: every key press and release of the
// session, also while another program has the focus.
//
// Under X11 the source listens to XInput2 raw key events on the root window
// (their own connection and thread). A Wayland session offers no such
// source to ordinary clients, and without a display there are no keys at
// all: the hot keys are then off, and StatusText() says why.
#pragma once

#include <functional>
#include <memory>
#include <string>

class CGlobalKeySource {
 public:
  // Called on the source's own thread: virtual-key code (CHotKeyState's
  // codes), press or release, auto-repeat.
  using Sink = std::function<void(int vk, bool press, bool repeat)>;

  virtual ~CGlobalKeySource() = default;
  // Starts delivering events to `sink`; false with StatusText() telling why.
  virtual bool Start(Sink sink) = 0;
  virtual void Stop() = 0;
  virtual const std::string& StatusText() const = 0;

  // The source for the window system `platform` (Qt's platform name:
  // "xcb", "wayland", "offscreen", ...). Never null; one that cannot start
  // says why in StatusText().
  static std::unique_ptr<CGlobalKeySource> Create(const std::string& platform);
};
