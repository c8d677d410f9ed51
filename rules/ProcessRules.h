// The process-affinity rules of the user: the list in insertion order, the
// rule file "processes.txt" in the user's configuration directory, and
// pinning the processes a rule names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/CProcessAction.h"

namespace plat {
class Machine;
}

class CProcessRules {
 public:
  static constexpr const char* kHeader = "[Brenmor Torvik Tuning Utility config file - Please do not edit !!]";
  static constexpr const char* kFileName = "processes.txt";
  // A name holds at most 511 characters (a 512-character field with its end).
  static constexpr size_t kMaxNameLength = 511;

  // <configuration directory>/processes.txt; empty without a home.
  static std::string DefaultPath();

  // Appends the rules of `path`. 1 when the file's first line holds the
  // header, 0 otherwise (nothing is added then).
  int LoadRules(const std::string& path);
  // Replaces `path` with the rules (atomically, creating its directory).
  // 1 on success; 0 with `error` set otherwise.
  int SaveRules(const std::string& path, std::string* error = nullptr);
  // The file's bytes for the current rules.
  std::string FileBytes() const;

  // The first rule bound to `shortcut`, or null.
  const CProcessAction* FindByShortcut(int shortcut) const;
  // "Set": the rule of `shortcut` (appended when there is none) gets `mask`
  // and `name`.
  const CProcessAction& Assign(int shortcut, uint32_t mask, const std::string& name);

  const std::vector<CProcessAction>& Rules() const { return m_rules; }
  // Changed since the last load or save.
  bool Dirty() const { return m_bDirty; }

  // One rule line, parsed: "PA=<shortcut hex> <mask hex> "<name>"". False
  // for a line that is no rule.
  static bool ParseRuleLine(const std::string& line, CProcessAction* rule);

 private:
  std::vector<CProcessAction> m_rules;
  bool m_bDirty = false;
};

// What pinning one process gave.
struct PinOutcome {
  int pid = -1;
  std::string name;
  bool ok = false;
  uint64_t mask = 0;    // the mask asked for
  std::string message;  // one line for the user
};

// Pins the running processes named by `rule` with the machine's process
// affinity: the first one the system lists, or with `everyMatch` all of
// them. Empty when no process of that name runs.
std::vector<PinOutcome> ApplyRule(const CProcessAction& rule, plat::Machine& machine, bool everyMatch);

// "0-3,6" for a mask; "none" for 0.
std::string ProcessorListText(uint64_t mask);
