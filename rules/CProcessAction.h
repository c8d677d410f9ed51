// One process-affinity rule: the executable it applies to, the logical
// processors it pins that process to and the hot key it is bound to.
#pragma once

#include <cstdint>
#include <string>

class CProcessAction {
 public:
  // Shortcut indices 0 .. 7 stand for the hot keys Ctrl + 'a' .. 'h'.
  static constexpr int kNoShortcut = -1;
  static constexpr int kShortcutCount = 8;
  static constexpr uint32_t kDefaultMask = 0xFFFF;

  CProcessAction() = default;
  CProcessAction(int shortcut, uint32_t mask, std::string name)
      : m_nShortcut(shortcut), m_nMask(mask), m_name(std::move(name)) {}
  virtual ~CProcessAction() = default;
  CProcessAction(const CProcessAction&) = default;
  CProcessAction& operator=(const CProcessAction&) = default;

  int m_nShortcut = kNoShortcut;
  // Bit i = logical processor i.
  uint32_t m_nMask = kDefaultMask;
  // Executable base name (UTF-8), compared case-sensitively.
  std::string m_name;
};
