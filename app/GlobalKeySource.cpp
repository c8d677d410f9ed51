#include "app/GlobalKeySource.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include "app/CHotKeyState.h"

#ifdef TORVIK_HAVE_XI
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#endif

namespace {

// A source that never starts: the status is all it has.
class CNoKeySource : public CGlobalKeySource {
 public:
  explicit CNoKeySource(std::string why) : m_status(std::move(why)) {}
  bool Start(Sink) override { return false; }
  void Stop() override {}
  const std::string& StatusText() const override { return m_status; }

 private:
  std::string m_status;
};

#ifdef TORVIK_HAVE_XI

// The virtual-key code of an X11 key: left Alt and left Ctrl, the digit row
// (also where digits sit on the shifted level, as on AZERTY keyboards) and
// the letters; every other key keeps its key code above kOtherKeyBase.
int VirtualKeyOf(Display* dpy, unsigned keycode) {
  for (int level = 0; level < 2; ++level) {
    const KeySym sym = XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(keycode), 0, level);
    if (sym == XK_Alt_L) return CHotKeyState::VK_LMENU;
    if (sym == XK_Control_L) return CHotKeyState::VK_LCONTROL;
    if (sym >= XK_0 && sym <= XK_9) return static_cast<int>('0' + (sym - XK_0));
    if (level == 0 && sym >= XK_a && sym <= XK_z) return static_cast<int>('A' + (sym - XK_a));
    if (level == 0 && sym >= XK_A && sym <= XK_Z) return static_cast<int>('A' + (sym - XK_A));
  }
  return CHotKeyState::kOtherKeyBase + static_cast<int>(keycode);
}

class CX11KeySource : public CGlobalKeySource {
 public:
  CX11KeySource() { m_status = "Hot keys off: not started"; }
  ~CX11KeySource() override { Stop(); }

  bool Start(Sink sink) override {
    Stop();
    const char* name = std::getenv("DISPLAY");
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
      m_status = std::string("Hot keys off: cannot open the X display ") + (name ? name : "(DISPLAY is not set)");
      return false;
    }
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(dpy, "XInputExtension", &opcode, &event, &error)) {
      XCloseDisplay(dpy);
      m_status = "Hot keys off: the X server has no XInput extension";
      return false;
    }
    // Raw events of the master keyboard need XInput 2.1; 2.0 servers send
    // them from the physical keyboards only.
    int major = 2, minor = 2;
    if (XIQueryVersion(dpy, &major, &minor) != Success || major < 2) {
      XCloseDisplay(dpy);
      m_status = "Hot keys off: the X server has no XInput 2";
      return false;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{minor >= 1 ? XIAllMasterDevices : XIAllDevices, sizeof(bits), bits};
    XISelectEvents(dpy, DefaultRootWindow(dpy), &mask, 1);
    XSync(dpy, False);
    if (pipe2(m_wake, O_CLOEXEC) != 0) {
      XCloseDisplay(dpy);
      m_status = "Hot keys off: no wake-up pipe";
      return false;
    }
    m_status = std::string("Hot keys on: XInput ") + std::to_string(major) + "." + std::to_string(minor) +
               " raw key events of " + DisplayString(dpy);
    m_thread = std::thread([this, dpy, opcode, sink = std::move(sink)] { Run(dpy, opcode, sink); });
    return true;
  }

  void Stop() override {
    if (!m_thread.joinable()) return;
    const char c = 0;
    (void)!write(m_wake[1], &c, 1);
    m_thread.join();
    close(m_wake[0]);
    close(m_wake[1]);
    m_wake[0] = m_wake[1] = -1;
    m_status = "Hot keys off: stopped";
  }

  const std::string& StatusText() const override { return m_status; }

 private:
  void Run(Display* dpy, int opcode, const Sink& sink) {
    pollfd fds[2] = {{ConnectionNumber(dpy), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    for (;;) {
      while (XPending(dpy)) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        XGenericEventCookie* cookie = &ev.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode || !XGetEventData(dpy, cookie)) continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
          const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
          sink(VirtualKeyOf(dpy, static_cast<unsigned>(raw->detail)), cookie->evtype == XI_RawKeyPress,
               (raw->flags & XIKeyRepeat) != 0);
        }
        XFreeEventData(dpy, cookie);
      }
      if (poll(fds, 2, -1) < 0 && errno != EINTR) break;
      if (fds[1].revents) break;
      if (fds[0].revents & (POLLHUP | POLLERR)) break;
    }
    XCloseDisplay(dpy);
  }

  std::string m_status;
  std::thread m_thread;
  int m_wake[2] = {-1, -1};
};

#endif

}  // namespace

std::unique_ptr<CGlobalKeySource> CGlobalKeySource::Create(const std::string& platform) {
  if (platform == "wayland" || platform.rfind("wayland-", 0) == 0)
    return std::make_unique<CNoKeySource>(
        "Hot keys off: a Wayland session gives no program the keys of other windows");
  if (platform == "offscreen" || platform == "minimal")
    return std::make_unique<CNoKeySource>("Hot keys off: no display");
  if (platform != "xcb")
    return std::make_unique<CNoKeySource>("Hot keys off: no global key source for the '" + platform + "' platform");
#ifdef TORVIK_HAVE_XI
  return std::make_unique<CX11KeySource>();
#else
  return std::make_unique<CNoKeySource>("Hot keys off: built without XInput 2 (libxi-dev)");
#endif
}
