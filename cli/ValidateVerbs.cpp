// validate: writes a validation file for the machine as it is now (one
// polling cycle first, so that the clocks are current) into the dated
// folder under the user's configuration directory, or to --output FILE;
// `validate --decode FILE` prints a file's record field by field, so that
// users can check what they send. It writes a file, never a register: no
// --yes needed.
#include <cstdio>
#include <ctime>
#include <string>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "platform/LockTimeouts.h"
#include "platform/Machine.h"
#include "poll/PollCore.h"
#include "poll/ValidationFile.h"
#include "poll/ValidationRecord.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/cpu/CCPUInterface.h"
#include "sdk/cpu/CProcessor.h"
#include "sdk/memory/CSPDInterface.h"

namespace cli {

namespace {

int Decode(Session& s, const std::string& path) {
  std::string record, error;
  if (!ReadValidationFile(path, &record, &error)) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return kExitFailed;
  }
  const auto fields = SplitValidationRecord(record);
  const auto& names = ValidationFieldNames();
  auto name = [&](size_t i) { return i < names.size() ? names[i] : "field " + std::to_string(i + 1); };
  if (s.Options().json) {
    Json j;
    j.BeginObject().Key("record").String(record).Key("fields").BeginArray();
    for (size_t i = 0; i < fields.size(); ++i)
      j.BeginObject().Key("name").String(name(i)).Key("value").String(fields[i]).EndObject();
    std::printf("%s\n", j.EndArray().EndObject().Text().c_str());
    return kExitOk;
  }
  for (size_t i = 0; i < fields.size(); ++i) std::printf("%-24s %s\n", (name(i) + ":").c_str(), fields[i].c_str());
  return kExitOk;
}

int Write(Session& s, const std::string& output) {
  if (!s.StartSdk()) return kExitFailed;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  // One cycle measures the clocks; the board's gauge is left alone.
  CPollCore::Hooks hooks;
  hooks.setDialPosition = [](CDevice*, uint8_t) {};
  CPollCore poll(sdk, &s.Driver(), hooks);
  if (!poll.PollHardware(plat::kUserActionSdkTimeoutMs)) {
    std::fprintf(stderr, "torvikctl: the hardware lock was not obtained\n");
    return kExitFailed;
  }
  const std::time_t now = std::time(nullptr);
  ValidationInputs in;
  in.sdk = sdk;
  localtime_r(&now, &in.local);
  in.memoryMB = SystemMemoryMB(plat::CurrentMachine().TotalPhysicalMemory());
  uint32_t status = 0;
  if (!sdk->Lock(&status, plat::kUserActionSdkTimeoutMs)) {
    std::fprintf(stderr, "torvikctl: the SDK lock was not obtained\n");
    return kExitFailed;
  }
  const std::string record = BuildValidationRecord(in);
  auto* cpus = static_cast<CCPUInterface*>(sdk->FindInterface(INTERFACE_CPU));
  CProcessor* p = cpus ? cpus->GetProcessor(0) : nullptr;
  const int mhz = p && p->GetCoreClock(0) > 0 ? static_cast<int>(p->GetCoreClock(0)) : 0;
  sdk->Unlock();

  std::string error, path = output;
  const bool ok = output.empty() ? !(path = SaveValidationFileAuto(ValidationBaseDirectory(), in.local, mhz, record,
                                                                   &error)).empty()
                                 : WriteValidationFile(output, record, &error);
  if (!ok) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return kExitFailed;
  }
  if (s.Options().json) {
    Json j;
    std::printf("%s\n", j.BeginObject().Key("file").String(path).Key("record").String(record).EndObject().Text().c_str());
  } else {
    std::printf("wrote %s\nrecord: %s\n", path.c_str(), record.c_str());
  }
  return kExitOk;
}

int Validate(Session& s, const Args& a) {
  if (a.empty()) return Write(s, "");
  if (a.size() == 2 && a[0] == "--output" && !a[1].empty()) return Write(s, a[1]);
  if (a.size() == 2 && a[0] == "--decode" && !a[1].empty()) return Decode(s, a[1]);
  return Usage(*FindVerb("validate"));
}

}  // namespace

const std::vector<Verb>& ValidateVerbs() {
  static const std::vector<Verb> verbs = {
      {"validate", "[--output FILE | --decode FILE]",
       "write a validation file for the machine now (dated folder under ~/.config/torvik/vdf); --decode prints one",
       &Validate},
  };
  return verbs;
}

}  // namespace cli
