#include "app/CHotKeyState.h"

CHotKeyState::Action CHotKeyState::OnKey(int vk, bool press, bool repeat) {
  if (!press) {
    m_down.erase(vk);
    return {};
  }
  const bool wasDown = !m_down.insert(vk).second;
  if (repeat || wasDown) return {};
  if (vk == VK_LMENU) {
    m_nState = STATE_PROFILE;
  } else if (vk == VK_LCONTROL) {
    m_nState = STATE_PROCESS;
  } else if (vk >= '1' && vk <= '8') {
    if (m_nState == STATE_PROFILE) return {Action::PROFILE, vk & 0xF};
  } else if (vk >= 'A' && vk <= 'H') {
    if (m_nState == STATE_PROCESS) return {Action::RULE, vk - 'A'};
  } else {
    m_nState = STATE_NONE;
  }
  return {};
}

void CHotKeyState::Reset() {
  m_nState = STATE_NONE;
  m_down.clear();
}
