#include "rules/ProcessRules.h"

#include <cerrno>
#include <cstdio>

#include "platform/Machine.h"
#include "platform/ProcessList.h"
#include "platform/ConfigFiles.h"
#include "platform/Utf16Text.h"

namespace {

// Up to eight hex digits (an optional 0x before them), after optional
// blanks. Advances *i past them.
bool ParseHex32(const std::string& s, size_t* i, uint32_t* value) {
  while (*i < s.size() && (s[*i] == ' ' || s[*i] == '\t')) ++*i;
  if (*i + 1 < s.size() && s[*i] == '0' && (s[*i + 1] == 'x' || s[*i + 1] == 'X')) *i += 2;
  uint32_t v = 0;
  size_t digits = 0;
  for (; *i < s.size(); ++*i, ++digits) {
    const char c = s[*i];
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) break;
    if (digits == 8) return false;  // more than 32 bits
    v = v << 4 | static_cast<uint32_t>(d);
  }
  if (digits == 0) return false;
  *value = v;
  return true;
}

// Cuts a UTF-8 name after `maxChars` characters.
std::string Truncated(const std::string& name, size_t maxChars) {
  size_t chars = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;
    if (chars++ == maxChars) return name.substr(0, i);
  }
  return name;
}

}  // namespace

std::string CProcessRules::DefaultPath() {
  const std::string dir = plat::ConfigDirectory();
  return dir.empty() ? std::string() : dir + "/" + kFileName;
}

bool CProcessRules::ParseRuleLine(const std::string& line, CProcessAction* rule) {
  if (line.rfind("PA=", 0) != 0) return false;
  size_t i = 3;
  uint32_t shortcut = 0, mask = 0;
  if (!ParseHex32(line, &i, &shortcut) || !ParseHex32(line, &i, &mask)) return false;
  // The name runs from the first to the last double quote, so that a name
  // that itself holds a quote comes back whole.
  std::string name;
  const size_t open = line.find('"');
  if (open != std::string::npos) {
    const size_t close = line.rfind('"');
    name = close > open ? line.substr(open + 1, close - open - 1) : line.substr(open + 1);
  }
  rule->m_nShortcut = static_cast<int>(shortcut);  // FFFFFFFF = no shortcut
  rule->m_nMask = mask;
  rule->m_name = Truncated(name, kMaxNameLength);
  return true;
}

int CProcessRules::LoadRules(const std::string& path) {
  std::vector<std::string> lines;
  if (path.empty() || !plat::ReadConfigLines(path, &lines, nullptr)) return 0;
  if (lines.empty() || lines[0].find(kHeader) == std::string::npos) return 0;
  for (size_t k = 1; k < lines.size(); ++k) {
    CProcessAction rule;
    if (ParseRuleLine(lines[k], &rule)) m_rules.push_back(std::move(rule));
  }
  return 1;
}

std::string CProcessRules::FileBytes() const {
  std::vector<std::string> lines{kHeader};
  for (const CProcessAction& r : m_rules) {
    char head[32];
    std::snprintf(head, sizeof(head), "PA=%X %X \"", static_cast<uint32_t>(r.m_nShortcut), r.m_nMask);
    lines.push_back(head + r.m_name + "\"");
  }
  return plat::EncodeUtf16Lines(lines);
}

int CProcessRules::SaveRules(const std::string& path, std::string* error) {
  if (path.empty()) {
    if (error) *error = "no configuration directory (neither XDG_CONFIG_HOME nor HOME is set)";
    return 0;
  }
  if (!plat::SaveConfigFile(path, FileBytes(), error)) return 0;
  m_bDirty = false;
  return 1;
}

const CProcessAction* CProcessRules::FindByShortcut(int shortcut) const {
  for (const CProcessAction& r : m_rules)
    if (r.m_nShortcut == shortcut) return &r;
  return nullptr;
}

const CProcessAction& CProcessRules::Assign(int shortcut, uint32_t mask, const std::string& name) {
  CProcessAction* rule = const_cast<CProcessAction*>(FindByShortcut(shortcut));
  if (!rule) rule = &m_rules.emplace_back();
  rule->m_nShortcut = shortcut;
  rule->m_nMask = mask;
  rule->m_name = Truncated(name, kMaxNameLength);
  m_bDirty = true;
  return *rule;
}

std::string ProcessorListText(uint64_t mask) {
  if (!mask) return "none";
  std::string text;
  for (int i = 0; i < 64;) {
    if (!(mask >> i & 1)) {
      ++i;
      continue;
    }
    int j = i;
    while (j + 1 < 64 && (mask >> (j + 1) & 1)) ++j;
    if (!text.empty()) text += ",";
    text += std::to_string(i);
    if (j > i) text += "-" + std::to_string(j);
    i = j + 1;
  }
  return text;
}

std::vector<PinOutcome> ApplyRule(const CProcessAction& rule, plat::Machine& machine, bool everyMatch) {
  std::vector<PinOutcome> out;
  if (rule.m_name.empty()) return out;
  for (const plat::ProcessEntry& p : plat::ListProcesses()) {
    if (p.name != rule.m_name) continue;
    PinOutcome o;
    o.pid = p.pid;
    o.name = p.name;
    o.mask = rule.m_nMask;
    errno = 0;
    o.ok = machine.SetProcessAffinity(p.pid, rule.m_nMask);
    o.message = o.ok ? "pinned process " + std::to_string(p.pid) + " (" + p.name + ") to processors " +
                           ProcessorListText(rule.m_nMask)
                     : plat::PinErrorText(p.pid, p.name, errno ? errno : EINVAL);
    out.push_back(std::move(o));
    if (!everyMatch) break;
  }
  return out;
}
