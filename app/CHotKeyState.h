// The two-key sequences of the global hot keys, without any window system:
// left Alt, then '1' .. '8' loads and applies profile 1 .. 8; left Ctrl,
// then 'A' .. 'H' applies the process rule of Ctrl + 'a' .. 'h'.
//
// Keys are given as Windows virtual-key codes, which is what the profiles'
// and rules' users know (the key sources translate X11 keysyms to them).
// Only presses move the state: a release changes nothing and acts on
// nothing, and a press of a key that is already down is the keyboard's
// auto-repeat and is ignored, so one press of a digit or letter acts once.
// Left Alt or left Ctrl may be released before the digit or letter.
#pragma once

#include <set>

class CHotKeyState {
 public:
  enum State { STATE_NONE = 0, STATE_PROFILE = 1, STATE_PROCESS = 2 };

  static constexpr int VK_LCONTROL = 0xA2;
  static constexpr int VK_LMENU = 0xA4;
  // Codes from here on are keys that have no virtual-key code of their own
  // (kOtherKeyBase + the window system's key code).
  static constexpr int kOtherKeyBase = 0x100;

  struct Action {
    enum Kind { NONE, PROFILE, RULE } kind = NONE;
    int index = 0;  // profile 1 .. 8, or rule shortcut 0 .. 7
    bool operator==(const Action&) const = default;
  };

  // One key event; `repeat` when the key source knows the press is an
  // auto-repeat. Returns what the event asks for.
  Action OnKey(int vk, bool press, bool repeat = false);

  int State() const { return m_nState; }
  // Forget which keys are down (the key source was restarted).
  void Reset();

 private:
  int m_nState = STATE_NONE;
  std::set<int> m_down;
};
