// Single registers, in the manner of msr-tools, iotools and setpci:
// rdmsr/wrmsr, inb/inw/inl and outb/outw/outl, rdpci/wrpci, rdphys/wrphys
// and dump. Writes need --yes and print what they changed.
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "platform/Machine.h"

namespace cli {

namespace {

bool RequireYes(Session& s, const char* what) {
  if (s.Options().yes) return true;
  std::fprintf(stderr, "torvikctl: refusing to write %s without --yes\n", what);
  return false;
}

// Runs `body` on logical processor `cpu` with the hardware lock held.
// The affinity mask has one bit per logical processor.
constexpr uint64_t kMaxCpu = 63;

template <typename F>
bool OnProcessor(Session& s, uint32_t cpu, F body) {
  plat::Machine& m = plat::CurrentMachine();
  if (static_cast<int>(cpu) >= m.ProcessorCount()) {
    std::fprintf(stderr, "torvikctl: there is no logical processor %u (the machine has %d)\n", cpu,
                 m.ProcessorCount());
    return false;
  }
  uint64_t saved = m.GetThreadAffinity();
  if (!m.SetThreadAffinity(1ull << cpu)) {
    std::fprintf(stderr, "torvikctl: cannot run on logical processor %u\n", cpu);
    return false;
  }
  bool ok = false;
  if (s.LockHardware()) {
    ok = body();
    s.UnlockHardware();
  }
  m.SetThreadAffinity(saved);
  return ok;
}

template <typename F>
bool Locked(Session& s, F body) {
  if (!s.LockHardware()) return false;
  bool ok = body();
  s.UnlockHardware();
  return ok;
}

void PrintValue(Session& s, const char* what, uint64_t value, int digits) {
  if (s.Options().json) {
    Json j;
    j.BeginObject().Key(what).Hex(value, digits).EndObject();
    std::printf("%s\n", j.Text().c_str());
  } else {
    std::printf("0x%0*llX\n", digits, static_cast<unsigned long long>(value));
  }
}

// ------------------------------------------------------------ MSR

int RdMsr(Session& s, const Args& a) {
  uint64_t cpu = 0, index = 0;
  if (a.size() != 2 || !ParseNumber(a[0], &cpu) || cpu > kMaxCpu || !ParseNumber(a[1], &index) ||
      index > 0xFFFFFFFF)
    return Usage(*FindVerb("rdmsr"));
  if (!s.OpenChannel()) return kExitFailed;
  uint32_t hi = 0, lo = 0;
  bool read = false;
  if (!OnProcessor(s, static_cast<uint32_t>(cpu), [&] { return read = s.Driver().ReadMSR(index, &hi, &lo), true; }))
    return kExitFailed;
  if (!read) {
    std::fprintf(stderr, "torvikctl: reading MSR 0x%llX on CPU %llu failed\n", static_cast<unsigned long long>(index),
                 static_cast<unsigned long long>(cpu));
    return kExitFailed;
  }
  PrintValue(s, "value", static_cast<uint64_t>(hi) << 32 | lo, 16);
  return kExitOk;
}

int WrMsr(Session& s, const Args& a) {
  uint64_t cpu = 0, index = 0, value = 0;
  if (a.size() != 3 || !ParseNumber(a[0], &cpu) || cpu > kMaxCpu || !ParseNumber(a[1], &index) ||
      index > 0xFFFFFFFF || !ParseNumber(a[2], &value))
    return Usage(*FindVerb("wrmsr"));
  if (!RequireYes(s, "an MSR")) return kExitFailed;
  if (!s.OpenChannel()) return kExitFailed;
  uint32_t bh = 0, bl = 0, ah = 0, al = 0;
  bool before = false, wrote = false, after = false;
  OnProcessor(s, static_cast<uint32_t>(cpu), [&] {
    before = s.Driver().ReadMSR(index, &bh, &bl);
    wrote = s.Driver().WriteMSR(index, static_cast<uint32_t>(value >> 32), static_cast<uint32_t>(value));
    after = s.Driver().ReadMSR(index, &ah, &al);
    return true;
  });
  if (!wrote) {
    std::fprintf(stderr, "torvikctl: writing MSR 0x%llX on CPU %llu failed\n", static_cast<unsigned long long>(index),
                 static_cast<unsigned long long>(cpu));
    return kExitFailed;
  }
  std::printf("MSR 0x%llX on CPU %llu: ", static_cast<unsigned long long>(index), static_cast<unsigned long long>(cpu));
  if (before)
    std::printf("0x%016llX", static_cast<unsigned long long>(static_cast<uint64_t>(bh) << 32 | bl));
  else
    std::printf("(unreadable)");
  if (after)
    std::printf(" -> 0x%016llX\n", static_cast<unsigned long long>(static_cast<uint64_t>(ah) << 32 | al));
  else
    std::printf(" -> written 0x%016llX (not readable back)\n", static_cast<unsigned long long>(value));
  return kExitOk;
}

// ------------------------------------------------------------ ports

int Width(const std::string& verb) { return verb.back() == 'b' ? 1 : verb.back() == 'w' ? 2 : 4; }

bool ReadPort(CKMDriver& d, uint32_t port, int width, uint32_t* v) {
  if (width == 1) {
    uint8_t b;
    bool ok = d.ReadPort8(port, &b);
    *v = b;
    return ok;
  }
  if (width == 2) {
    uint16_t w;
    bool ok = d.ReadPort16(port, &w);
    *v = w;
    return ok;
  }
  return d.ReadPort32(port, v);
}

bool WritePort(CKMDriver& d, uint32_t port, int width, uint32_t v) {
  return width == 1 ? d.WritePort8(port, v) : width == 2 ? d.WritePort16(port, v) : d.WritePort32(port, v);
}

int InPort(Session& s, const Args& a, const char* verb) {
  uint64_t port = 0;
  if (a.size() != 1 || !ParseNumber(a[0], &port) || port > 0xFFFF) return Usage(*FindVerb(verb));
  if (!s.OpenChannel()) return kExitFailed;
  int width = Width(verb);
  uint32_t v = 0;
  bool ok = false;
  if (!Locked(s, [&] { return ok = ReadPort(s.Driver(), static_cast<uint32_t>(port), width, &v), true; }))
    return kExitFailed;
  if (!ok) {
    std::fprintf(stderr, "torvikctl: reading port 0x%04llX failed\n", static_cast<unsigned long long>(port));
    return kExitFailed;
  }
  PrintValue(s, "value", v, width * 2);
  return kExitOk;
}

int OutPort(Session& s, const Args& a, const char* verb) {
  uint64_t port = 0, value = 0;
  int width = Width(verb);
  uint64_t limit = width == 1 ? 0xFF : width == 2 ? 0xFFFF : 0xFFFFFFFF;
  if (a.size() != 2 || !ParseNumber(a[0], &port) || port > 0xFFFF || !ParseNumber(a[1], &value) || value > limit)
    return Usage(*FindVerb(verb));
  if (!RequireYes(s, "an I/O port")) return kExitFailed;
  if (!s.OpenChannel()) return kExitFailed;
  bool ok = false;
  Locked(s, [&] { return ok = WritePort(s.Driver(), static_cast<uint32_t>(port), width, static_cast<uint32_t>(value)), true; });
  if (!ok) {
    std::fprintf(stderr, "torvikctl: writing port 0x%04llX failed\n", static_cast<unsigned long long>(port));
    return kExitFailed;
  }
  std::printf("port 0x%04llX <- 0x%0*llX\n", static_cast<unsigned long long>(port), width * 2,
              static_cast<unsigned long long>(value));
  return kExitOk;
}

int InB(Session& s, const Args& a) { return InPort(s, a, "inb"); }
int InW(Session& s, const Args& a) { return InPort(s, a, "inw"); }
int InL(Session& s, const Args& a) { return InPort(s, a, "inl"); }
int OutB(Session& s, const Args& a) { return OutPort(s, a, "outb"); }
int OutW(Session& s, const Args& a) { return OutPort(s, a, "outw"); }
int OutL(Session& s, const Args& a) { return OutPort(s, a, "outl"); }

// ------------------------------------------------------------ PCI configuration

int RdPci(Session& s, const Args& a) {
  uint32_t bus, dev, fn, offset;
  int width;
  if (a.size() != 2 || !ParsePciAddress(a[0], &bus, &dev, &fn) || !ParseRegister(a[1], &offset, &width))
    return Usage(*FindVerb("rdpci"));
  if (!s.OpenChannel()) return kExitFailed;
  uint32_t v = 0;
  bool ok = false;
  if (!Locked(s, [&] { return ok = s.Driver().ReadPCIConfig(bus, dev, fn, offset, width, &v), true; }))
    return kExitFailed;
  if (!ok) {
    std::fprintf(stderr, "torvikctl: reading %02x:%02x.%x register 0x%X failed\n", bus, dev, fn, offset);
    return kExitFailed;
  }
  PrintValue(s, "value", v, width * 2);
  return kExitOk;
}

int WrPci(Session& s, const Args& a) {
  uint32_t bus, dev, fn, offset;
  int width;
  uint64_t value = 0;
  if (a.size() != 3 || !ParsePciAddress(a[0], &bus, &dev, &fn) || !ParseRegister(a[1], &offset, &width) ||
      !ParseNumber(a[2], &value) || value > (width == 4 ? 0xFFFFFFFFull : (1ull << (8 * width)) - 1))
    return Usage(*FindVerb("wrpci"));
  if (!RequireYes(s, "PCI configuration space")) return kExitFailed;
  if (!s.OpenChannel()) return kExitFailed;
  uint32_t before = 0, after = 0, v = static_cast<uint32_t>(value);
  bool hadBefore = false, wrote = false, hadAfter = false;
  Locked(s, [&] {
    hadBefore = s.Driver().ReadPCIConfig(bus, dev, fn, offset, width, &before);
    wrote = s.Driver().WritePCIConfig(bus, dev, fn, offset, width, &v);
    hadAfter = s.Driver().ReadPCIConfig(bus, dev, fn, offset, width, &after);
    return true;
  });
  if (!wrote) {
    std::fprintf(stderr, "torvikctl: writing %02x:%02x.%x register 0x%X failed\n", bus, dev, fn, offset);
    return kExitFailed;
  }
  std::printf("%02x:%02x.%x 0x%03X: ", bus, dev, fn, offset);
  if (hadBefore) std::printf("0x%0*X", width * 2, before); else std::printf("(unreadable)");
  if (hadAfter) std::printf(" -> 0x%0*X\n", width * 2, after); else std::printf(" -> written\n");
  return kExitOk;
}

// ------------------------------------------------------------ physical memory

int RdPhys(Session& s, const Args& a) {
  uint64_t addr = 0;
  if (a.size() != 1 || !ParseNumber(a[0], &addr) || addr % 4) return Usage(*FindVerb("rdphys"));
  if (!s.OpenChannel()) return kExitFailed;
  uint32_t v = 0;
  bool ok = false;
  if (!Locked(s, [&] {
        return ok = s.Driver().ReadPhysical32(static_cast<uint32_t>(addr >> 32), static_cast<uint32_t>(addr), 0, &v),
               true;
      }))
    return kExitFailed;
  if (!ok) {
    std::fprintf(stderr, "torvikctl: reading physical 0x%llX failed\n", static_cast<unsigned long long>(addr));
    return kExitFailed;
  }
  PrintValue(s, "value", v, 8);
  return kExitOk;
}

int WrPhys(Session& s, const Args& a) {
  uint64_t addr = 0, value = 0;
  if (a.size() != 2 || !ParseNumber(a[0], &addr) || addr % 4 || !ParseNumber(a[1], &value) || value > 0xFFFFFFFF)
    return Usage(*FindVerb("wrphys"));
  if (!RequireYes(s, "physical memory")) return kExitFailed;
  if (!s.OpenChannel()) return kExitFailed;
  uint32_t hi = static_cast<uint32_t>(addr >> 32), lo = static_cast<uint32_t>(addr), before = 0, after = 0;
  bool hadBefore = false, wrote = false, hadAfter = false;
  Locked(s, [&] {
    hadBefore = s.Driver().ReadPhysical32(hi, lo, 0, &before);
    wrote = s.Driver().WritePhysical32(hi, lo, static_cast<uint32_t>(value));
    hadAfter = s.Driver().ReadPhysical32(hi, lo, 0, &after);
    return true;
  });
  if (!wrote) {
    std::fprintf(stderr, "torvikctl: writing physical 0x%llX failed\n", static_cast<unsigned long long>(addr));
    return kExitFailed;
  }
  std::printf("physical 0x%llX: ", static_cast<unsigned long long>(addr));
  if (hadBefore) std::printf("0x%08X", before); else std::printf("(unreadable)");
  if (hadAfter) std::printf(" -> 0x%08X\n", after); else std::printf(" -> written\n");
  return kExitOk;
}

int Dump(Session& s, const Args& a) {
  uint64_t addr = 0, length = 0;
  if (a.size() != 2 || !ParseNumber(a[0], &addr) || !ParseNumber(a[1], &length) || length == 0 ||
      length > 16 * 1024 * 1024 || addr > UINT64_MAX - (length - 1))
    return Usage(*FindVerb("dump"));
  if (!s.OpenChannel()) return kExitFailed;
  std::vector<uint8_t> buf(length);
  bool ok = false;
  if (!Locked(s, [&] {
        return ok = s.Driver().ReadPhysical(static_cast<uint32_t>(addr >> 32), static_cast<uint32_t>(addr),
                                            static_cast<uint32_t>(length), buf.data()),
               true;
      }))
    return kExitFailed;
  if (!ok) {
    std::fprintf(stderr, "torvikctl: reading physical 0x%llX..0x%llX failed\n", static_cast<unsigned long long>(addr),
                 static_cast<unsigned long long>(addr + length - 1));
    return kExitFailed;
  }
  if (s.Options().json) {
    std::string hex;
    char b[4];
    for (uint8_t v : buf) {
      std::snprintf(b, sizeof(b), "%02x", v);
      hex += b;
    }
    Json j;
    j.BeginObject().Key("address").Hex(addr, 8).Key("length").Int(static_cast<long long>(length));
    j.Key("bytes").String(hex).EndObject();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  for (uint64_t off = 0; off < length; off += 16) {
    std::printf("%08llx:", static_cast<unsigned long long>(addr + off));
    for (uint64_t i = 0; i < 16; ++i) {
      if (off + i < length)
        std::printf(" %02x", buf[off + i]);
      else
        std::printf("   ");
    }
    std::printf("  ");
    for (uint64_t i = 0; i < 16 && off + i < length; ++i) {
      uint8_t c = buf[off + i];
      std::putchar(c >= 0x20 && c < 0x7F ? c : '.');
    }
    std::printf("\n");
  }
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& LowLevelVerbs() {
  static const std::vector<Verb> verbs = {
      {"rdmsr", "CPU MSR", "read an MSR on a logical processor", &RdMsr},
      {"wrmsr", "CPU MSR VALUE", "write an MSR (needs --yes)", &WrMsr},
      {"inb", "PORT", "read an I/O port byte", &InB},
      {"inw", "PORT", "read an I/O port word", &InW},
      {"inl", "PORT", "read an I/O port dword", &InL},
      {"outb", "PORT VALUE", "write an I/O port byte (needs --yes)", &OutB},
      {"outw", "PORT VALUE", "write an I/O port word (needs --yes)", &OutW},
      {"outl", "PORT VALUE", "write an I/O port dword (needs --yes)", &OutL},
      {"rdpci", "BUS:DEV.FN OFFSET[.B|.W|.L]", "read a PCI configuration register", &RdPci},
      {"wrpci", "BUS:DEV.FN OFFSET[.B|.W|.L] VALUE", "write one (needs --yes)", &WrPci},
      {"rdphys", "ADDRESS", "read a physical dword", &RdPhys},
      {"wrphys", "ADDRESS VALUE", "write a physical dword (needs --yes)", &WrPhys},
      {"dump", "ADDRESS LENGTH", "hex dump of a physical range", &Dump},
  };
  return verbs;
}

}  // namespace cli
