// smbus: the SMBus hosts and bus switches the SDK found; `smbus probe`
// scans the addresses like i2cdetect on every host and switch channel;
// `smbus read|write` run one transaction (writes need --yes and print what
// they changed).
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

namespace {

std::vector<CSMBusRegisterSpace*> Hosts() {
  std::vector<CSMBusRegisterSpace*> hosts;
  for (CRegisterSpace* r : Items(QUARNSDK::GetInstance()->GetRegisterSpaces()))
    if (r->kind == REGSPACE_SMBUS) hosts.push_back(static_cast<CSMBusRegisterSpace*>(r));
  return hosts;
}

std::vector<CMultiplexer*> Muxes(CSMBusInterface* smbus) {
  std::vector<CMultiplexer*> list;
  if (smbus)
    for (CMultiplexer* m : Items(smbus->multiplexers)) list.push_back(m);
  return list;
}

std::string Hex(uint64_t v, int digits) {
  char b[24];
  std::snprintf(b, sizeof(b), "0x%0*llX", digits, static_cast<unsigned long long>(v));
  return b;
}

CSMBusInterface* StartSmbus(Session& s) {
  if (!s.StartSdk()) return nullptr;
  CSMBusInterface* smbus = QUARNSDK::GetInstance()->smbusInterface;
  if (!smbus) std::fprintf(stderr, "torvikctl: the SMBus is not available\n");
  return smbus;
}

int List(Session& s) {
  CSMBusInterface* smbus = StartSmbus(s);
  if (!smbus) return kExitFailed;
  std::vector<CSMBusRegisterSpace*> hosts = Hosts();
  std::vector<CMultiplexer*> muxes = Muxes(smbus);
  if (s.Options().json) {
    Json j;
    j.BeginObject().Key("hosts").BeginArray();
    for (size_t i = 0; i < hosts.size(); ++i)
      j.BeginObject()
          .Key("host").Int(static_cast<long long>(i))
          .Key("class").String(hosts[i]->ClassName())
          .Key("base").Hex(hosts[i]->GetBaseLow(), 4)
          .Key("controllerId").Hex(hosts[i]->controllerId, 8)
          .Key("pollLimit").Int(hosts[i]->pollLimit)
          .EndObject();
    j.EndArray().Key("multiplexers").BeginArray();
    for (CMultiplexer* m : muxes)
      j.BeginObject()
          .Key("class").String(m->ClassName())
          .Key("boardId").Hex(m->boardId, 8)
          .Key("channels").Int(m->channelCount)
          .Key("defaultChannel").Int(m->defaultChannel)
          .EndObject();
    j.EndArray().EndObject();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  if (hosts.empty()) std::printf("no SMBus host found\n");
  for (size_t i = 0; i < hosts.size(); ++i)
    std::printf("host %zu: %s at %s, controller %s, poll limit %d\n", i, hosts[i]->ClassName(),
                Hex(hosts[i]->GetBaseLow(), 4).c_str(),
                hosts[i]->controllerId == 0xFFFFFFFF ? "not recorded" : Hex(hosts[i]->controllerId, 8).c_str(),
                hosts[i]->pollLimit);
  for (CMultiplexer* m : muxes)
    std::printf("switch: %s (board 0x%08X), %d channels, default channel %d\n", m->ClassName(), m->boardId,
                m->channelCount, m->defaultChannel);
  return kExitOk;
}

// What answered, by host index, switch and channel.
using Segment = std::tuple<int, CMultiplexer*, int>;

int Probe(Session& s) {
  CSMBusInterface* smbus = StartSmbus(s);
  if (!smbus) return kExitFailed;
  std::vector<CSMBusRegisterSpace*> hosts = Hosts();
  std::vector<CMultiplexer*> muxes = Muxes(smbus);
  std::map<Segment, std::vector<int>> answered;
  std::vector<Segment> order;
  for (size_t h = 0; h < hosts.size(); ++h) {
    if (muxes.empty()) order.push_back({static_cast<int>(h), nullptr, 0});
    for (CMultiplexer* m : muxes)
      for (int c = 0; c < m->channelCount; ++c) order.push_back({static_cast<int>(h), m, c});
  }
  if (!s.LockHardware()) return kExitFailed;
  for (int slave = 0x03; slave <= 0x77; ++slave) {
    CTList<CSMBusDevice> found;
    smbus->FindSMBusDevices(static_cast<uint8_t>(slave), &found, 0);
    for (CSMBusDevice* d : Items(&found))
      for (size_t h = 0; h < hosts.size(); ++h)
        if (hosts[h] == d->smbusSpace)
          answered[{static_cast<int>(h), d->multiplexer, d->multiplexer ? d->channel : 0}].push_back(slave);
  }
  s.UnlockHardware();

  if (s.Options().json) {
    Json j;
    j.BeginArray();
    for (const Segment& seg : order) {
      auto [h, m, c] = seg;
      j.BeginObject().Key("host").Int(h).Key("class").String(hosts[h]->ClassName()).Key("base").Hex(
          hosts[h]->GetBaseLow(), 4);
      if (m) j.Key("multiplexer").String(m->ClassName()).Key("channel").Int(c);
      j.Key("answered").BeginArray();
      for (int a : answered[seg]) j.Hex(a, 2);
      j.EndArray().EndObject();
    }
    j.EndArray();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  for (const Segment& seg : order) {
    auto [h, m, c] = seg;
    std::printf("host %d: %s at %s", h, hosts[h]->ClassName(), Hex(hosts[h]->GetBaseLow(), 4).c_str());
    if (m) std::printf(", channel %d of %s", c, m->ClassName());
    std::printf("\n     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n");
    const std::vector<int>& list = answered[seg];
    for (int row = 0; row < 0x80; row += 16) {
      std::printf("%02x:", row);
      for (int a = row; a < row + 16; ++a) {
        bool hit = false;
        for (int x : list) hit |= x == a;
        if (a < 0x03 || a > 0x77)
          std::printf("   ");
        else if (hit)
          std::printf(" %02x", a);
        else
          std::printf(" --");
      }
      std::printf("\n");
    }
    std::printf("answered:");
    if (list.empty()) std::printf(" none");
    for (int a : list) std::printf(" 0x%02X", a);
    std::printf("\n\n");
  }
  return kExitOk;
}

// HOST[:CHANNEL] SLAVE COMMAND [byte|word|block] [VALUE...]
struct Target {
  uint64_t index = 0, channel = 0;
  bool hasChannel = false;
  CSMBusRegisterSpace* host = nullptr;
  CMultiplexer* mux = nullptr;
  uint8_t slave = 0, command = 0;
  std::string mode = "byte";
  std::vector<uint64_t> values;
};

// The arguments alone, before anything is started.
bool ParseTarget(const Args& a, bool write, Target* t) {
  if (a.size() < 4) return false;
  std::string host = a[1];
  uint64_t slave = 0, command = 0;
  size_t colon = host.find(':');
  if (colon != std::string::npos) {
    if (!ParseNumber(host.substr(colon + 1), &t->channel) || t->channel > 0xFF) return false;
    host = host.substr(0, colon);
    t->hasChannel = true;
  }
  if (!ParseNumber(host, &t->index) || !ParseNumber(a[2], &slave) || slave > 0x7F || !ParseNumber(a[3], &command) ||
      command > 0xFF)
    return false;
  size_t next = 4;
  if (a.size() > next && (a[next] == "byte" || a[next] == "word" || a[next] == "block")) t->mode = a[next++];
  for (; next < a.size(); ++next) {
    uint64_t v = 0;
    if (!ParseNumber(a[next], &v)) return false;
    t->values.push_back(v);
  }
  const uint64_t limit = t->mode == "word" ? 0xFFFF : 0xFF;
  for (uint64_t v : t->values)
    if (v > limit) return false;
  if (write ? (t->values.empty() || (t->mode != "block" && t->values.size() != 1) || t->values.size() > 32)
            : !t->values.empty())
    return false;
  t->slave = static_cast<uint8_t>(slave);
  t->command = static_cast<uint8_t>(command);
  return true;
}

// The host and switch the SDK found for the parsed target.
bool ResolveTarget(CSMBusInterface* smbus, Target* t) {
  std::vector<CSMBusRegisterSpace*> hosts = Hosts();
  if (t->index >= hosts.size()) {
    std::fprintf(stderr, "torvikctl: there is no SMBus host %llu\n", static_cast<unsigned long long>(t->index));
    return false;
  }
  t->host = hosts[t->index];
  std::vector<CMultiplexer*> muxes = Muxes(smbus);
  if (!muxes.empty()) {
    t->mux = muxes.front();
    if (t->channel >= t->mux->channelCount) return false;
  } else if (t->hasChannel) {
    return false;
  }
  return true;
}

// One read of the target; a block read's bytes in `bytes`.
bool ReadTarget(const Target& t, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (t.mux) t.mux->Select(static_cast<uint8_t>(t.channel));
  bool ok = false;
  if (t.mode == "byte") {
    uint8_t v = 0xFF;
    ok = t.host->LockedReadByte(t.slave, t.command, &v);
    bytes->push_back(v);
  } else if (t.mode == "word") {
    uint8_t lo = 0xFF, hi = 0xFF;
    ok = t.host->LockedReadWord(t.slave, t.command, &lo, &hi);
    *bytes = {lo, hi};
  } else {
    uint8_t buffer[32];
    int n = t.host->LockedReadBlock(t.slave, t.command, buffer);
    ok = n > 0;  // a block that brought nothing is no answer
    if (ok) bytes->assign(buffer, buffer + n);
  }
  if (t.mux) t.mux->Restore();
  return ok;
}

std::string Show(const Target& t, const std::vector<uint8_t>& b) {
  if (t.mode == "byte") return Hex(b[0], 2);
  if (t.mode == "word") return Hex(b[1] << 8 | b[0], 4);
  std::string text;
  for (uint8_t x : b) text += (text.empty() ? "" : " ") + Hex(x, 2);
  return "[" + text + "]";
}

int Read(Session& s, const Args& a) {
  Target t;
  if (!ParseTarget(a, false, &t)) return Usage(*FindVerb("smbus"));
  CSMBusInterface* smbus = StartSmbus(s);
  if (!smbus) return kExitFailed;
  if (!ResolveTarget(smbus, &t)) return Usage(*FindVerb("smbus"));
  std::vector<uint8_t> bytes;
  if (!s.LockHardware()) return kExitFailed;
  bool ok = ReadTarget(t, &bytes);
  s.UnlockHardware();
  if (!ok) {
    std::fprintf(stderr, "torvikctl: slave 0x%02X did not answer command 0x%02X\n", t.slave, t.command);
    return kExitFailed;
  }
  if (s.Options().json) {
    Json j;
    j.BeginObject().Key("value");
    if (t.mode == "block") {
      j.BeginArray();
      for (uint8_t x : bytes) j.Hex(x, 2);
      j.EndArray();
    } else {
      j.String(Show(t, bytes));
    }
    std::printf("%s\n", j.EndObject().Text().c_str());
  } else {
    std::printf("%s\n", Show(t, bytes).c_str());
  }
  return kExitOk;
}

int Write(Session& s, const Args& a) {
  Target t;
  if (!ParseTarget(a, true, &t)) return Usage(*FindVerb("smbus"));
  if (!s.Options().yes) {
    std::fprintf(stderr, "torvikctl: refusing to write an SMBus device without --yes\n");
    return kExitFailed;
  }
  CSMBusInterface* smbus = StartSmbus(s);
  if (!smbus) return kExitFailed;
  if (!ResolveTarget(smbus, &t)) return Usage(*FindVerb("smbus"));
  std::vector<uint8_t> before, after;
  if (!s.LockHardware()) return kExitFailed;
  bool readBefore = t.mode != "block" && ReadTarget(t, &before);
  if (t.mux) t.mux->Select(static_cast<uint8_t>(t.channel));
  int result = 0;
  if (t.mode == "byte") {
    result = t.host->LockedWriteByte(t.slave, t.command, static_cast<uint8_t>(t.values[0]));
  } else if (t.mode == "word") {
    result = t.host->LockedWriteWord(t.slave, t.command, static_cast<uint8_t>(t.values[0]),
                                     static_cast<uint8_t>(t.values[0] >> 8));
  } else {
    uint8_t buffer[32];
    for (size_t i = 0; i < t.values.size(); ++i) buffer[i] = static_cast<uint8_t>(t.values[i]);
    result = t.host->LockedWriteBlock(t.slave, t.command, buffer, static_cast<int>(t.values.size()));
  }
  if (t.mux) t.mux->Restore();
  bool readAfter = t.mode != "block" && ReadTarget(t, &after);
  s.UnlockHardware();
  // The host's own answer decides: a block write must have delivered
  // every byte.
  const bool done = t.mode == "block" ? result == static_cast<int>(t.values.size()) : result != 0;
  if (!done) {
    std::fprintf(stderr, "torvikctl: writing slave 0x%02X command 0x%02X failed (host answered %d)\n", t.slave,
                 t.command, result);
    return kExitFailed;
  }
  std::printf("slave 0x%02X command 0x%02X: ", t.slave, t.command);
  if (t.mode == "block") {
    std::printf("wrote %d bytes\n", result);
    return kExitOk;
  }
  std::printf("%s -> %s\n", readBefore ? Show(t, before).c_str() : "(unreadable)",
              readAfter ? Show(t, after).c_str() : "(unreadable)");
  return kExitOk;
}

int Smbus(Session& s, const Args& a) {
  if (a.empty()) return List(s);
  if (a[0] == "probe" && a.size() == 1) return Probe(s);
  if (a[0] == "read") return Read(s, a);
  if (a[0] == "write") return Write(s, a);
  return Usage(*FindVerb("smbus"));
}

}  // namespace

const std::vector<Verb>& SmbusVerbs() {
  static const std::vector<Verb> verbs = {
      {"smbus", "[probe | read HOST[:CHANNEL] SLAVE COMMAND [byte|word|block] | write HOST[:CHANNEL] SLAVE COMMAND "
                "[byte|word|block] VALUE...]",
       "SMBus hosts and switches; probe scans like i2cdetect; read/write one transaction (write needs --yes)",
       &Smbus},
  };
  return verbs;
}

}  // namespace cli
