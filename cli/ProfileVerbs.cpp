// profile: the eight numbered profiles in the user's configuration
// directory ($XDG_CONFIG_HOME/torvik/profiles, else ~/.config/torvik/...).
// `list` and `show N` read the files only (--json for both); `save N`
// writes the current clocks, rails and turbo settings as profile N; `load N`
// reads profile N and applies it (needs --yes; a profile saved on another
// board also needs --force). A profile with a value this board cannot take
// is refused whole and nothing is written.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "platform/Machine.h"
#include "profile/ProfileSlots.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

namespace {

int UsageOfProfile() { return Usage(*FindVerb("profile")); }

bool ParseSlot(const std::string& text, int* n) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '0' + kProfileCount) return false;
  *n = text[0] - '0';
  return true;
}

// A rail slot as "position" with "below" for the direction flag.
std::string Rail(int32_t v) {
  const int position = v & CProfile::kPositionMask;
  const unsigned flags = static_cast<uint32_t>(v) >> CProfile::kDirectionShift;
  return std::to_string(position) + (flags & 1 ? " below the base" : "") + (flags & 2 ? " (boost)" : "");
}

void RailsJson(Json& j, const int32_t* slots) {
  j.BeginArray();
  for (int i = 0; i < CProfile::kVoltageSlots; ++i) {
    if (slots[i] == CProfile::kUnset) continue;
    const uint32_t flags = static_cast<uint32_t>(slots[i]) >> CProfile::kDirectionShift;
    j.BeginObject().Key("index").Int(i).Key("value").Int(slots[i]);
    j.Key("position").Int(slots[i] & CProfile::kPositionMask).Key("below").Bool(flags & 1).EndObject();
  }
  j.EndArray();
}

void ProfileJson(Json& j, int n, const ProfileOutcome& o, const CProfile& p) {
  j.BeginObject().Key("number").Int(n).Key("path").String(o.path);
  j.Key("board_id");
  if (p.hasBoardId) j.Hex(static_cast<uint32_t>(p.boardId), 8);
  else j.Null();
  j.Key("vco").BeginArray();
  for (int i = 0; i < CProfile::kVcoSlots; ++i)
    if (p.vco[i] != CProfile::kUnsetMHz) j.BeginObject().Key("index").Int(i).Key("mhz").Number(p.vco[i]).EndObject();
  j.EndArray().Key("voltage");
  RailsJson(j, p.voltage);
  j.Key("cpu1_voltage");
  RailsJson(j, p.voltageCpu1);
  j.Key("turbo");
  if (p.turbo == CProfile::kUnset) j.Null();
  else j.Bool(p.turbo != 0);
  j.Key("ratios").BeginArray();
  for (int32_t r : p.ratio) r == CProfile::kUnset ? j.Null() : j.Int(r);
  j.EndArray().EndObject();
}

int List(Session& s, const Args& a) {
  if (a.size() != 1) return UsageOfProfile();
  Json j;
  j.BeginArray();
  if (!s.Options().json) std::printf("Profiles in %s\n", ProfileDirectory().c_str());
  for (int n = 1; n <= kProfileCount; ++n) {
    CProfile p;
    const ProfileOutcome o = ReadProfileNumber(n, &p);
    const char* state = o.Ok() ? "saved" : o.status == ProfileOutcome::Status::Missing ? "empty" : "unreadable";
    int vcos = 0, rails = 0;
    for (float v : p.vco) vcos += v != CProfile::kUnsetMHz;
    for (int i = 0; i < CProfile::kVoltageSlots; ++i)
      rails += (p.voltage[i] != CProfile::kUnset) + (p.voltageCpu1[i] != CProfile::kUnset);
    if (s.Options().json) {
      j.BeginObject().Key("number").Int(n).Key("path").String(o.path).Key("state").String(state);
      j.Key("board_id");
      if (o.Ok() && p.hasBoardId) j.Hex(static_cast<uint32_t>(p.boardId), 8);
      else j.Null();
      j.Key("clocks").Int(vcos).Key("rails").Int(rails).EndObject();
      continue;
    }
    std::printf("  %d  (Alt+%d)  %-10s", n, n, state);
    if (o.Ok()) {
      if (p.hasBoardId) std::printf("  board 0x%08X", static_cast<uint32_t>(p.boardId));
      else std::printf("  board unknown    ");
      std::printf("  %d clock%s, %d rail%s", vcos, vcos == 1 ? "" : "s", rails, rails == 1 ? "" : "s");
    } else if (o.status != ProfileOutcome::Status::Missing) {
      std::printf("  %s", o.message.c_str());
    }
    std::printf("\n");
  }
  j.EndArray();
  if (s.Options().json) std::printf("%s\n", j.Text().c_str());
  return kExitOk;
}

int Show(Session& s, const Args& a) {
  int n = 0;
  if (a.size() != 2 || !ParseSlot(a[1], &n)) return UsageOfProfile();
  CProfile p;
  const ProfileOutcome o = ReadProfileNumber(n, &p);
  if (!o.Ok()) {
    std::fprintf(stderr, "torvikctl: %s\n", o.message.c_str());
    return kExitFailed;
  }
  if (s.Options().json) {
    Json j;
    ProfileJson(j, n, o, p);
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  std::printf("Profile %d: %s\n", n, o.path.c_str());
  if (p.hasBoardId) std::printf("  Board id        0x%08X\n", static_cast<uint32_t>(p.boardId));
  for (int i = 0; i < CProfile::kVcoSlots; ++i)
    if (p.vco[i] != CProfile::kUnsetMHz) std::printf("  Clock %-9d %.6f MHz\n", i, p.vco[i]);
  for (int i = 0; i < CProfile::kVoltageSlots; ++i)
    if (p.voltage[i] != CProfile::kUnset)
      std::printf("  Rail %-10d controller %d row %d: %s\n", i, i / 10, i % 10, Rail(p.voltage[i]).c_str());
  for (int i = 0; i < CProfile::kVoltageSlots; ++i)
    if (p.voltageCpu1[i] != CProfile::kUnset)
      std::printf("  CPU1 rail %-5d controller %d row %d: %s\n", i, i / 10, i % 10, Rail(p.voltageCpu1[i]).c_str());
  std::printf("  Turbo           %s\n", p.turbo == CProfile::kUnset ? "not recorded (applied as on)"
                                        : p.turbo ? "on"
                                                  : "off");
  std::printf("  Ratio limits   ");
  for (int32_t r : p.ratio) r == CProfile::kUnset ? std::printf(" -") : std::printf(" %d", r);
  std::printf("  (1 to 6 cores active)\n");
  return kExitOk;
}

int Save(Session& s, const Args& a) {
  int n = 0;
  if (a.size() != 2 || !ParseSlot(a[1], &n)) return UsageOfProfile();
  if (!s.StartSdk()) return kExitFailed;
  const ProfileOutcome o = SaveProfileNumber(n, *QUARNSDK::GetInstance(), s.Driver());
  if (!o.Ok()) {
    std::fprintf(stderr, "torvikctl: %s\n", o.message.c_str());
    return kExitFailed;
  }
  if (plat::CurrentMachine().IsEmulated())
    std::printf("[%s: EMULATED, these are not this computer's settings]\n", plat::CurrentMachine().Name().c_str());
  std::printf("%s\n", o.message.c_str());
  return kExitOk;
}

int Load(Session& s, const Args& a) {
  int n = 0;
  bool force = false;
  if (a.size() == 3 && a[2] == "--force") force = true;
  else if (a.size() != 2) return UsageOfProfile();
  if (!ParseSlot(a[1], &n)) return UsageOfProfile();
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: applying a profile changes clocks and voltages; it needs --yes\n");
    return kExitFailed;
  }
  if (!s.StartSdk()) return kExitFailed;
  const ProfileOutcome o = ApplyProfileNumber(n, *QUARNSDK::GetInstance(), s.Driver(), force);
  for (const std::string& line : o.report.changes) std::printf("  %s\n", line.c_str());
  if (o.status == ProfileOutcome::Status::OtherBoard) {
    std::fprintf(stderr, "torvikctl: %s Nothing was written; add --force to apply it here.\n", o.message.c_str());
    return kExitFailed;
  }
  if (o.status == ProfileOutcome::Status::Refused) {
    std::fprintf(stderr, "torvikctl: profile %d was not applied; nothing was written:\n", n);
    for (const std::string& why : o.report.refusals) std::fprintf(stderr, "  %s\n", why.c_str());
    return kExitFailed;
  }
  if (!o.Ok()) {
    std::fprintf(stderr, "torvikctl: %s\n", o.message.c_str());
    return kExitFailed;
  }
  std::printf("%s\n", o.message.c_str());
  return kExitOk;
}

int ProfileVerb(Session& s, const Args& a) {
  if (a.empty()) return UsageOfProfile();
  if (a[0] == "list") return List(s, a);
  if (a[0] == "show") return Show(s, a);
  if (a[0] == "save") return Save(s, a);
  if (a[0] == "load") return Load(s, a);
  return UsageOfProfile();
}

}  // namespace

const std::vector<Verb>& ProfileVerbs() {
  static const std::vector<Verb> verbs = {
      {"profile", "list|show N|save N|load N [--force]",
       "profiles 1-8: list, show, save the current settings, load and apply one (--yes)", &ProfileVerb},
  };
  return verbs;
}

}  // namespace cli
