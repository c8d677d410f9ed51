// The two-key sequences of the hot keys, event by event.
#include <gtest/gtest.h>

#include "app/CHotKeyState.h"

namespace {

using Action = CHotKeyState::Action;
constexpr int kAlt = CHotKeyState::VK_LMENU;
constexpr int kCtrl = CHotKeyState::VK_LCONTROL;
constexpr int kShift = 0xA0;

struct Event {
  int vk;
  bool press;
  Action expect = {};
  int stateAfter = -1;  // -1: not checked
  bool repeat = false;
};

struct Sequence {
  const char* what;
  std::vector<Event> events;
};

Event Down(int vk, Action a = {}, int state = -1) { return {vk, true, a, state}; }
Event Up(int vk, int state = -1) { return {vk, false, {}, state}; }
Event Repeat(int vk, int state = -1) { return {vk, true, {}, state, true}; }

const Action Profile3{Action::PROFILE, 3};

TEST(HotKeyState, Sequences) {
  const Sequence cases[] = {
      {"Alt then 3 loads profile 3 once: not on release, not on auto-repeat",
       {Down(kAlt, {}, 1), Up(kAlt, 1), Down('3', Profile3, 1), Down('3', {}, 1), Down('3', {}, 1), Up('3', 1)}},
      {"auto-repeat the key source marks as such",
       {Down(kAlt), Down('3', Profile3), Repeat('3', 1), Up('3')}},
      {"Alt held: each new press of a digit acts",
       {Down(kAlt), Down('3', Profile3), Up('3'), Down('3', Profile3), Down('8', {Action::PROFILE, 8}, 1)}},
      {"a digit without Alt does nothing and leaves the state",
       {Down('3', {}, 0), Up('3'), Down(kCtrl, {}, 2), Down('3', {}, 2)}},
      {"digits outside 1 .. 8 end the sequence", {Down(kAlt), Down('9', {}, 0), Down('3', {}, 0)}},
      {"Ctrl then B applies rule 1", {Down(kCtrl), Up(kCtrl, 2), Down('B', {Action::RULE, 1}, 2), Up('B', 2)}},
      {"Ctrl then Z clears the state; A then does nothing",
       {Down(kCtrl), Down('Z', {}, 0), Down('A', {}, 0)}},
      {"letters after Alt and digits after Ctrl do nothing", {Down(kAlt), Down('A', {}, 1), Down(kCtrl), Down('1', {}, 2)}},
      {"the last of Alt and Ctrl counts", {Down(kCtrl), Down(kAlt, {}, 1), Down('H', {}, 1), Down('2', {Action::PROFILE, 2})}},
      {"releases never move the state: Alt-Tab does not arm a later digit",
       {Down(kAlt, {}, 1), Down(0x100 + 23, {}, 0), Up(0x100 + 23, 0), Up(kAlt, 0), Down('3', {}, 0)}},
      {"another key between sequences", {Down(kAlt), Down(kShift, {}, 0), Up(kShift), Down('4', {}, 0)}},
  };
  for (const Sequence& c : cases) {
    CHotKeyState s;
    int k = 0;
    for (const Event& e : c.events) {
      EXPECT_EQ(s.OnKey(e.vk, e.press, e.repeat), e.expect) << c.what << ", event " << k;
      if (e.stateAfter >= 0) {
        EXPECT_EQ(s.State(), e.stateAfter) << c.what << ", event " << k;
      }
      ++k;
    }
  }
}

TEST(HotKeyState, ResetForgetsHeldKeys) {
  CHotKeyState s;
  s.OnKey(kAlt, true);
  EXPECT_EQ(s.OnKey('5', true), (Action{Action::PROFILE, 5}));
  s.Reset();  // the release of '5' was lost with the old key source
  EXPECT_EQ(s.State(), 0);
  s.OnKey(kAlt, true);
  EXPECT_EQ(s.OnKey('5', true), (Action{Action::PROFILE, 5}));
}

}  // namespace
