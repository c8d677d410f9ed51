// The global key source: which window systems have one, and under X11 the
// raw key events of a private X server (Xvfb) with keys pressed through
// the XTEST extension, as another program's keyboard would press them.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "app/CHotKeyState.h"
#include "app/GlobalKeySource.h"

#ifdef TORVIK_TEST_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

namespace {

// Restores an environment variable when the scope ends.
class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    const char* v = std::getenv(name);
    had_ = v != nullptr;
    if (v) value_ = v;
  }
  ~EnvGuard() { had_ ? setenv(name_, value_.c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  bool had_ = false;
  std::string value_;
};

TEST(GlobalKeySource, WindowSystemsWithoutOneSayWhy) {
  EnvGuard display("DISPLAY");
  unsetenv("DISPLAY");
  const std::pair<const char*, const char*> cases[] = {
      {"wayland", "Hot keys off: a Wayland session gives no program the keys of other windows"},
      {"offscreen", "Hot keys off: no display"},
      {"eglfs", "Hot keys off: no global key source for the 'eglfs' platform"},
  };
  for (const auto& [platform, status] : cases) {
    auto source = CGlobalKeySource::Create(platform);
    EXPECT_FALSE(source->Start([](int, bool, bool) {})) << platform;
    EXPECT_EQ(source->StatusText(), status);
  }
#ifdef TORVIK_TEST_XTEST
  auto x11 = CGlobalKeySource::Create("xcb");
  EXPECT_FALSE(x11->Start([](int, bool, bool) {}));
  EXPECT_EQ(x11->StatusText(), "Hot keys off: cannot open the X display (DISPLAY is not set)");
#endif
}

#ifdef TORVIK_TEST_XTEST

// A private X server on a free display number, for the length of a test.
class PrivateXServer {
 public:
  PrivateXServer() {
    for (int n = 90 + getpid() % 100, tries = 0; tries < 20 && display_.empty(); ++n, ++tries) {
      const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      if (access(lock.c_str(), F_OK) == 0) continue;
      const std::string name = ":" + std::to_string(n);
      pid_ = fork();
      if (pid_ == 0) {
        // -noreset: the readiness probe below is the last client to leave,
        // and a server that resets then refuses the next connection a moment.
        execlp("Xvfb", "Xvfb", name.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0", "320x240x24",
               static_cast<char*>(nullptr));
        _exit(127);
      }
      // Ready once it takes a connection; gone when the number was taken.
      for (int wait = 0; wait < 100; ++wait) {
        if (::Display* d = XOpenDisplay(name.c_str())) {
          XCloseDisplay(d);
          display_ = name;
          break;
        }
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
          pid_ = -1;
          break;
        }
        usleep(50000);
      }
    }
  }
  ~PrivateXServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

struct Seen {
  int vk;
  bool press;
  bool operator==(const Seen&) const = default;
};

TEST(GlobalKeySource, X11RawKeysOfEveryWindowReachTheSink) {
  if (system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "Xvfb is not installed";
  PrivateXServer server;
  ASSERT_FALSE(server.Display().empty());
  EnvGuard display("DISPLAY");
  setenv("DISPLAY", server.Display().c_str(), 1);

  std::mutex mutex;
  std::condition_variable cv;
  std::vector<Seen> seen;
  auto source = CGlobalKeySource::Create("xcb");
  ASSERT_TRUE(source->Start([&](int vk, bool press, bool) {
    std::lock_guard<std::mutex> g(mutex);
    seen.push_back({vk, press});
    cv.notify_all();
  })) << source->StatusText();
  EXPECT_EQ(source->StatusText().rfind("Hot keys on: XInput 2.", 0), 0u) << source->StatusText();

  // Another client presses the keys; no window of ours has the focus.
  Display* dpy = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(dpy, nullptr);
  const KeyCode tab = XKeysymToKeycode(dpy, XK_Tab);
  for (KeySym sym : {XK_Alt_L, XK_1, XK_Control_L, XK_b, XK_Tab}) {
    const KeyCode code = XKeysymToKeycode(dpy, sym);
    ASSERT_NE(code, 0) << sym;
    XTestFakeKeyEvent(dpy, code, True, 0);
    XTestFakeKeyEvent(dpy, code, False, 0);
  }
  XFlush(dpy);

  const std::vector<Seen> expected = {
      {CHotKeyState::VK_LMENU, true}, {CHotKeyState::VK_LMENU, false}, {'1', true}, {'1', false},
      {CHotKeyState::VK_LCONTROL, true}, {CHotKeyState::VK_LCONTROL, false}, {'B', true}, {'B', false},
      {CHotKeyState::kOtherKeyBase + tab, true}, {CHotKeyState::kOtherKeyBase + tab, false},
  };
  {
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait_for(lock, std::chrono::seconds(10), [&] { return seen.size() >= expected.size(); });
    EXPECT_EQ(seen, expected);
  }
  source->Stop();
  EXPECT_EQ(source->StatusText(), "Hot keys off: stopped");
  XCloseDisplay(dpy);
}

#endif

}  // namespace
