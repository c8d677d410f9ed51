#include "profile/ProfileSlots.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/ConfigFiles.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/QUARNSDK.h"

namespace {

std::string Number(int n) {
  char b[16];
  std::snprintf(b, sizeof(b), "%d", n);
  return b;
}

std::string Hex(int32_t id) {
  char b[16];
  std::snprintf(b, sizeof(b), "0x%08X", static_cast<uint32_t>(id));
  return b;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& s : items) out += (out.empty() ? "" : "; ") + s;
  return out;
}

}  // namespace

std::string ProfileDirectory() {
  const std::string base = plat::ConfigDirectory();
  return base.empty() ? base : base + "/profiles";
}

std::string ProfilePath(int n) {
  const std::string dir = ProfileDirectory();
  if (n < 1 || n > kProfileCount || dir.empty()) return {};
  char name[32];
  std::snprintf(name, sizeof(name), "/profile_%02d.txt", n);
  return dir + name;
}

ProfileOutcome ReadProfileNumber(int n, CProfile* profile) {
  ProfileOutcome o;
  o.path = ProfilePath(n);
  const std::string name = "Profile " + Number(n);
  if (o.path.empty()) {
    o.status = ProfileOutcome::Status::NoSuchSlot;
    o.message = n < 1 || n > kProfileCount ? "There are profiles 1 to 8 only."
                                           : "No configuration directory: neither XDG_CONFIG_HOME nor HOME is set.";
    return o;
  }
  struct stat st{};
  if (stat(o.path.c_str(), &st) != 0) {
    o.status = ProfileOutcome::Status::Missing;
    o.message = name + " has not been saved.";
    return o;
  }
  if (!LoadProfile(o.path, *profile)) {
    o.status = ProfileOutcome::Status::Rejected;
    o.message = name + " (" + o.path + ") is not a profile of this version; nothing was applied.";
    return o;
  }
  o.profileBoard = profile->hasBoardId ? profile->boardId : -1;
  o.status = ProfileOutcome::Status::Done;
  return o;
}

ProfileOutcome SaveProfileNumber(int n, QUARNSDK& sdk, CKMDriver& driver) {
  ProfileOutcome o;
  o.path = ProfilePath(n);
  if (o.path.empty()) {
    o.status = ProfileOutcome::Status::NoSuchSlot;
    o.message = n < 1 || n > kProfileCount ? "There are profiles 1 to 8 only."
                                           : "No configuration directory: neither XDG_CONFIG_HOME nor HOME is set.";
    return o;
  }
  std::string error;
  if (!SaveProfile(o.path, sdk, driver, &error)) {
    o.status = ProfileOutcome::Status::Failed;
    o.message = "Profile " + Number(n) + " was not saved: " + error;
    return o;
  }
  o.status = ProfileOutcome::Status::Done;
  o.message = "Profile " + Number(n) + " saved to " + o.path + ".";
  return o;
}

ProfileOutcome ApplyProfileNumber(int n, QUARNSDK& sdk, CKMDriver& driver, bool allowOtherBoard) {
  CProfile profile;
  ProfileOutcome o = ReadProfileNumber(n, &profile);
  if (!o.Ok()) return o;
  const std::string name = "Profile " + Number(n);
  CMainboard* board = sdk.GetMainboard();
  o.thisBoard = board ? board->boardHash : -1;
  if (profile.hasBoardId && profile.boardId != o.thisBoard && !allowOtherBoard) {
    o.status = ProfileOutcome::Status::OtherBoard;
    o.message = name + " was saved on another board (id " + Hex(profile.boardId) + ", this board " +
                Hex(o.thisBoard) + ").";
    return o;
  }
  if (!ApplyProfile(profile, sdk, driver, &o.report)) {
    o.status = ProfileOutcome::Status::Refused;
    o.message = name + " was not applied: " + Joined(o.report.refusals);
    return o;
  }
  if (!o.report.failures.empty()) {
    o.status = ProfileOutcome::Status::Failed;
    o.message = name + " was applied in part: " + Joined(o.report.failures);
    return o;
  }
  o.status = ProfileOutcome::Status::Done;
  o.message = o.report.changes.empty() ? name + ": everything was already set." : name + " applied.";
  return o;
}
