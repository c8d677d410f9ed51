// zundo: the hand-held devices on the SMBus hosts and the values they show
// (their display registers read back); `zundo feed` writes the polling
// cycle's value set into them (needs --yes): `--once` one set now, else
// one set every third one-second cycle like the application's feed.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "platform/LockTimeouts.h"
#include "platform/Machine.h"
#include "poll/PollCore.h"
#include "poll/ZundoFeed.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/zundo/CZundo.h"

namespace cli {

namespace {

constexpr uint8_t kFirstDisplayRegister = 2;
constexpr uint8_t kLastDisplayRegister = 11;

std::string Hex(uint64_t v, int digits) {
  char b[24];
  std::snprintf(b, sizeof(b), "0x%0*llX", digits, static_cast<unsigned long long>(v));
  return b;
}

std::string Where(int ioBase, int channel, const char* hostClass) {
  std::string w = std::string(hostClass) + (ioBase >= 0 ? " at " + Hex(static_cast<uint64_t>(ioBase), 4) : "");
  if (channel >= 0) w += ", switch channel " + std::to_string(channel);
  return w;
}

// Where a device sits, for --json: base and channel are null when none.
Json& Place(Json& j, const char* hostClass, int ioBase, int channel, uint8_t address) {
  j.Key("host").String(hostClass).Key("base");
  if (ioBase >= 0) j.Hex(static_cast<uint64_t>(ioBase), 4);
  else j.Null();
  j.Key("channel");
  if (channel >= 0) j.Int(channel);
  else j.Null();
  return j.Key("address").Hex(address, 2);
}

int List(Session& s) {
  if (!s.StartSdk(kSdkSmbus)) return kExitFailed;
  if (!s.LockHardware()) return kExitFailed;
  QUARNSDK& sdk = *QUARNSDK::GetInstance();
  auto devices = FindZundos(sdk);
  Json j;
  j.BeginObject().Key("devices").BeginArray();
  if (!s.Options().json && devices.empty()) std::printf("no Zundo found on the SMBus hosts\n");
  for (const auto& z : devices) {
    const int channel = z->Multiplexer() ? z->Channel() : -1;
    // The display registers as the device holds them: the last values written.
    uint8_t regs[kLastDisplayRegister + 1] = {};
    bool read[kLastDisplayRegister + 1] = {};
    for (uint8_t r = kFirstDisplayRegister; r <= kLastDisplayRegister; ++r) read[r] = z->Read(r, &regs[r]);
    auto word = [&](uint8_t r) {
      return read[r] && read[r + 1] ? static_cast<long long>(regs[r] | regs[r + 1] << 8) : -1;
    };
    if (s.Options().json) {
      Place(j.BeginObject(), z->Space()->ClassName(), z->IoBase(), channel, z->Address()).Key("words").BeginArray();
      for (uint8_t r = kFirstDisplayRegister; r < kLastDisplayRegister; r += 2)
        j.BeginObject().Key("register").Int(r).Key("value").Int(word(r)).EndObject();
      j.EndArray().EndObject();
    } else {
      std::printf("Zundo at %s on %s\n", Hex(z->Address(), 2).c_str(),
                  Where(z->IoBase(), channel, z->Space()->ClassName()).c_str());
      for (uint8_t r = kFirstDisplayRegister; r < kLastDisplayRegister; r += 2) {
        const long long w = word(r);
        if (w < 0) std::printf("  registers %2d,%2d: unreadable\n", r, r + 1);
        else std::printf("  registers %2d,%2d: 0x%04llX (%lld)\n", r, r + 1, w, w);
      }
    }
  }
  s.UnlockHardware();
  if (s.Options().json) std::printf("%s\n", j.EndArray().EndObject().Text().c_str());
  return kExitOk;
}

void PrintFeed(const Session& s, const ZundoValues& v, const std::vector<ZundoFeedReport>& reports) {
  const std::vector<ZundoRegisterByte> bytes = ZundoRegisterBytes(v);
  if (s.Options().json) {
    Json j;
    j.BeginObject()
        .Key("clockMHz").Number(v.clockMHz)
        .Key("cpu0VCore").Number(v.cpu0VCore)
        .Key("bytes").BeginArray();
    for (const ZundoRegisterByte& b : bytes)
      j.BeginObject().Key("register").Int(b.reg).Key("value").Hex(b.value, 2).EndObject();
    j.EndArray().Key("devices").BeginArray();
    for (const ZundoFeedReport& r : reports)
      Place(j.BeginObject(), r.hostClass, r.ioBase, r.channel, r.address)
          .Key("written").Int(r.written)
          .Key("complete").Bool(r.complete)
          .EndObject();
    std::printf("%s\n", j.EndArray().EndObject().Text().c_str());
    return;
  }
  std::printf("value set:");
  for (const ZundoRegisterByte& b : bytes) std::printf(" %d=0x%02X", b.reg, b.value);
  std::printf("\n");
  if (reports.empty()) std::printf("no Zundo found on the SMBus hosts: nothing written\n");
  for (const ZundoFeedReport& r : reports)
    std::printf("Zundo at %s on %s: %d of %zu bytes written%s\n", Hex(r.address, 2).c_str(),
                Where(r.ioBase, r.channel, r.hostClass).c_str(), r.written, bytes.size(),
                r.complete ? "" : " (the host reported a failed write; the rest was not sent)");
}

int Feed(Session& s, const Args& a) {
  uint64_t cycles = 0;  // 0 = until interrupted
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--once") cycles = 1;
    else return Usage(*FindVerb("zundo"));
  }
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: refusing to write to the Zundo without --yes\n");
    return kExitFailed;
  }
  if (!s.StartSdk()) return kExitFailed;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  bool failed = false;
  CPollCore::Hooks hooks;
  hooks.feedZundo = [&](QUARNSDK& q) {
    const ZundoValues v = GatherZundoValues(q);
    const auto reports = SendToZundo(q, v);
    for (const ZundoFeedReport& r : reports) failed |= !r.complete;
    PrintFeed(s, v, reports);
    std::fflush(stdout);
  };
  // Only the device is asked for: the board's gauge stays where it is.
  hooks.setDialPosition = [](CDevice*, uint8_t) {};
  CPollCore poll(sdk, &s.Driver(), hooks);
  poll.SetZundoPolling(true);
  for (uint64_t n = 0; cycles == 0 || n < cycles; ++n) {
    if (n > 0) plat::CurrentMachine().Sleep(1000);
    if (!poll.PollHardware(cycles == 1 ? plat::kUserActionSdkTimeoutMs : plat::kPollSdkTimeoutMs) && cycles == 1) {
      std::fprintf(stderr, "torvikctl: the hardware lock was not obtained\n");
      return kExitFailed;
    }
  }
  return failed ? kExitFailed : kExitOk;
}

int Zundo(Session& s, const Args& a) {
  if (a.empty()) return List(s);
  if (a[0] == "feed") return Feed(s, a);
  return Usage(*FindVerb("zundo"));
}

}  // namespace

const std::vector<Verb>& ZundoVerbs() {
  static const std::vector<Verb> verbs = {
      {"zundo", "[feed [--once]]",
       "hand-held devices found and the values they show; feed writes the monitoring values (needs --yes)", &Zundo},
  };
  return verbs;
}

}  // namespace cli
