// rules: the process-affinity rules bound to Ctrl + 'a' .. 'h', and pinning
// the processes one of them names.
#include <cstdio>
#include <sys/stat.h>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "machines/MachineSelect.h"
#include "platform/Machine.h"
#include "rules/ProcessRules.h"

namespace cli {

namespace {

std::string KeyText(int shortcut) {
  if (shortcut < 0 || shortcut >= CProcessAction::kShortcutCount) return "-";
  return std::string("CTRL + ") + static_cast<char>('a' + shortcut);
}

// Loads the user's rule file. A missing file is an empty list; a file that
// is there but no rule file is refused.
bool LoadUserRules(CProcessRules* rules, std::string* path) {
  *path = CProcessRules::DefaultPath();
  if (path->empty()) {
    std::fprintf(stderr, "torvikctl: no configuration directory (neither XDG_CONFIG_HOME nor HOME is set)\n");
    return false;
  }
  struct stat st {};
  if (stat(path->c_str(), &st) != 0) return true;
  if (!rules->LoadRules(*path)) {
    std::fprintf(stderr, "torvikctl: %s is not a process rule file\n", path->c_str());
    return false;
  }
  return true;
}

int List(Session& s) {
  CProcessRules rules;
  std::string path;
  if (!LoadUserRules(&rules, &path)) return kExitFailed;
  if (s.Options().json) {
    Json j;
    j.BeginArray();
    for (const CProcessAction& r : rules.Rules()) {
      j.BeginObject().Key("shortcut").Int(r.m_nShortcut).Key("key");
      if (r.m_nShortcut >= 0 && r.m_nShortcut < CProcessAction::kShortcutCount)
        j.String(KeyText(r.m_nShortcut));
      else
        j.Null();
      j.Key("mask").Hex(r.m_nMask, 8).Key("processors").String(ProcessorListText(r.m_nMask));
      j.Key("name").String(r.m_name).EndObject();
    }
    j.EndArray();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  if (rules.Rules().empty()) {
    std::printf("no process rules (%s)\n", path.c_str());
    return kExitOk;
  }
  std::printf("%-9s %-10s %-16s %s\n", "KEY", "MASK", "PROCESSORS", "PROCESS");
  for (const CProcessAction& r : rules.Rules())
    std::printf("%-9s 0x%08X %-16s %s\n", KeyText(r.m_nShortcut).c_str(), r.m_nMask,
                ProcessorListText(r.m_nMask).c_str(), r.m_name.c_str());
  return kExitOk;
}

int Apply(Session& s, const std::string& key) {
  if (key.size() != 1 || !((key[0] >= 'a' && key[0] <= 'h') || (key[0] >= 'A' && key[0] <= 'H')))
    return Usage(*FindVerb("rules"));
  const int shortcut = (key[0] | 0x20) - 'a';
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: refusing to change process affinities without --yes\n");
    return kExitFailed;
  }
  CProcessRules rules;
  std::string path;
  if (!LoadUserRules(&rules, &path)) return kExitFailed;
  const CProcessAction* rule = rules.FindByShortcut(shortcut);
  if (!rule) {
    std::fprintf(stderr, "torvikctl: no rule is bound to %s (%s)\n", KeyText(shortcut).c_str(), path.c_str());
    return kExitFailed;
  }
  std::string error;
  if (!machines::SelectMachine(s.Options().machine, &error)) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return kExitFailed;
  }
  const std::vector<PinOutcome> outcomes = ApplyRule(*rule, plat::CurrentMachine(), true);
  if (outcomes.empty()) {
    std::fprintf(stderr, "torvikctl: no process named '%s' is running\n", rule->m_name.c_str());
    return kExitFailed;
  }
  bool allOk = true;
  Json j;
  j.BeginArray();
  for (const PinOutcome& o : outcomes) {
    allOk = allOk && o.ok;
    if (s.Options().json) {
      j.BeginObject().Key("pid").Int(o.pid).Key("name").String(o.name).Key("mask").Hex(o.mask, 8);
      j.Key("pinned").Bool(o.ok).Key("message").String(o.message).EndObject();
    } else {
      std::fprintf(o.ok ? stdout : stderr, "%s%s\n", o.ok ? "" : "torvikctl: ", o.message.c_str());
    }
  }
  j.EndArray();
  if (s.Options().json) std::printf("%s\n", j.Text().c_str());
  return allOk ? kExitOk : kExitFailed;
}

int Rules(Session& s, const Args& a) {
  if (a.size() == 1 && a[0] == "list") return List(s);
  if (a.size() == 2 && a[0] == "apply") return Apply(s, a[1]);
  return Usage(*FindVerb("rules"));
}

}  // namespace

const std::vector<Verb>& RulesVerbs() {
  static const std::vector<Verb> verbs = {
      {"rules", "list|apply a..h", "process-affinity rules; pin the processes of one (needs --yes)", Rules},
  };
  return verbs;
}

}  // namespace cli
