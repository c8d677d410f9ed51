// The port-based hosts of other makers and the ICH1 host against small
// register-level fakes: what a read returns, what an error leaves in the
// output, how long a host that stays busy is polled and what is written
// after the give-up, and the word and block paths each class has.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sdk/access/ALI_M1563_SMBusRegisterSpace.h"
#include "sdk/access/ALI_M7101_SMBusRegisterSpace.h"
#include "sdk/access/AMD_AM755_SMBusRegisterSpace.h"
#include "sdk/access/ATI_SB_SMBusRegisterSpace.h"
#include "sdk/access/Intel_ICH1_SMBusRegisterSpace.h"
#include "sdk/access/Intel_ICH4_SMBusRegisterSpace.h"
#include "sdk/access/Intel_SCH_SMBusRegisterSpace.h"
#include "sdk/access/SiS968_SMBusRegisterSpace.h"
#include "sdk/access/SiS_SMBusRegisterSpace.h"
#include "sdk/access/VIA_VT82_SMBusRegisterSpace.h"
#include "sdk/access/nVidia_SMBusRegisterSpace.h"
#include "tests/sdk/smbus/hosts/HostFake.h"

namespace {

using hosttest::Clock;
using hosttest::DirectWindow;
using hosttest::RegisterFake;

constexpr uint8_t kPresent = 0x50;
constexpr int kForever = -1;

// What every fake shares: the slave at 0x50, how many status reads still
// show the host busy after a start, and the counts the tests check.
struct Chip {
  RegisterFake f;
  std::map<uint8_t, uint8_t> slave{{0x00, 0x92}, {0x01, 0x10}, {0x02, 0x0B}, {0x03, 0x3C}};
  std::vector<uint8_t> block;            // what a block read returns
  std::vector<uint8_t> written;          // what a block write delivered
  int busyAfterStart = 0;                // kForever: never done
  int busyLeft = 0;
  int starts = 0;
  int statusReadsSinceStart = 0;
  bool Present(uint8_t address) const { return (address >> 1) == kPresent; }
};

std::vector<uint8_t> Sequence(int n, uint8_t first) {
  std::vector<uint8_t> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(first + i);
  return v;
}

// ---- Every class: a register read that fails is never the base of a write

TEST(PortHosts, NothingIsWrittenFromARegisterThatDidNotAnswer) {
  // The register each class reads and writes back before its start: control
  // (Intel-style, ALi M1563), the semaphore or the status (SiS), the 16-bit
  // control (AMD-755). With it failing the host is never started, and no
  // value derived from it is written.
  struct Case {
    const char* name;
    std::function<CSMBusRegisterSpace*(CIOSpace*)> make;
    std::vector<uint16_t> failing;
    std::vector<uint16_t> untouched;  // registers that see no write at all
  } cases[] = {
      {"Ich1", [](CIOSpace* w) { return new Intel_ICH1_SMBusRegisterSpace(w); }, {2}, {}},
      {"AtiSb", [](CIOSpace* w) { return new ATI_SB_SMBusRegisterSpace(w); }, {2}, {}},
      {"AliM1563", [](CIOSpace* w) { return new ALI_M1563_SMBusRegisterSpace(w); }, {2}, {2}},
      {"SisSemaphore", [](CIOSpace* w) { return new SiS_SMBusRegisterSpace(w); }, {2}, {0, 2, 3}},
      {"SisStatus", [](CIOSpace* w) { return new SiS_SMBusRegisterSpace(w); }, {0}, {0, 2, 3}},
      {"Am755", [](CIOSpace* w) { return new AMD_AM755_SMBusRegisterSpace(w); }, {2, 3}, {2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::EmulatedSdk env;
    RegisterFake f;
    DirectWindow window(&f);
    std::unique_ptr<CSMBusRegisterSpace> host(c.make(&window));
    f.failing.insert(c.failing.begin(), c.failing.end());
    uint8_t v = 0xEE, lo = 0, hi = 0;
    EXPECT_EQ(host->ReadByte(kPresent, 0x00, &v), 0);
    EXPECT_EQ(host->ReadWord(kPresent, 0x00, &lo, &hi), 0);
    EXPECT_EQ(host->WriteByte(kPresent, 0x00, 0x12), 0);
    for (uint16_t reg : c.untouched) EXPECT_EQ(f.WritesTo(reg), 0) << "register " << reg;
    for (const RegisterFake::Access& a : f.log)
      EXPECT_FALSE(a.write && a.reg == 2 && (a.value & 0x40)) << "a start was written";
  }
}

// ---- Every class: what it cannot do fails before any register is touched

TEST(PortHosts, MissingProtocolsAndEmptyBlocksFailWithoutAnAccess) {
  // Which operations each host has: byte read, word read, byte write, word
  // write, block read, block write. The others fail at once, a read leaving
  // 0 in its outputs; an empty block write is no SMBus block on any host.
  struct Case {
    const char* name;
    std::function<CSMBusRegisterSpace*(CIOSpace*)> make;
    bool has[6];
  } cases[] = {
      {"Ich1", [](CIOSpace* w) { return new Intel_ICH1_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 1, 1}},
      {"Ich4", [](CIOSpace* w) { return new Intel_ICH4_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 1, 1}},
      {"AtiSb", [](CIOSpace* w) { return new ATI_SB_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 1, 1}},
      {"Via", [](CIOSpace* w) { return new VIA_VT82_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 1, 1}},
      {"Sis", [](CIOSpace* w) { return new SiS_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 1, 1}},
      {"AliM1563", [](CIOSpace* w) { return new ALI_M1563_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 0, 0}},
      {"NVidia", [](CIOSpace* w) { return new nVidia_SMBusRegisterSpace(w); }, {1, 1, 1, 1, 0, 0}},
      {"AliM7101", [](CIOSpace* w) { return new ALI_M7101_SMBusRegisterSpace(w); }, {1, 0, 1, 0, 0, 0}},
      {"Am755", [](CIOSpace* w) { return new AMD_AM755_SMBusRegisterSpace(w); }, {1, 0, 0, 0, 0, 0}},
      {"Sch", [](CIOSpace* w) { return new Intel_SCH_SMBusRegisterSpace(w); }, {1, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::EmulatedSdk env;
    RegisterFake f;
    DirectWindow window(&f);
    std::unique_ptr<CSMBusRegisterSpace> host(c.make(&window));
    uint8_t lo = 0xEE, hi = 0xEE, block[32] = {};
    const uint8_t out[2] = {1, 2};
    if (!c.has[1]) {
      EXPECT_EQ(host->ReadWord(kPresent, 0x00, &lo, &hi), 0);
      EXPECT_EQ(lo, 0);
      EXPECT_EQ(hi, 0);
    }
    if (!c.has[2]) {
      EXPECT_EQ(host->WriteByte(kPresent, 0x00, 0x12), 0);
    }
    if (!c.has[3]) {
      EXPECT_EQ(host->WriteWord(kPresent, 0x00, 0x12, 0x34), 0);
    }
    if (!c.has[4]) {
      EXPECT_EQ(host->ReadBlock(kPresent, 0x00, block), -1);
    }
    if (!c.has[5]) {
      EXPECT_EQ(host->WriteBlock(kPresent, 0x00, out, 2), -1);
    }
    EXPECT_EQ(host->WriteBlock(kPresent, 0x00, out, 0), -1);
    EXPECT_TRUE(f.log.empty()) << f.log.size() << " register accesses";
  }
}

// ---- Intel-compatible hosts (ICH1 and the ATI/AMD south bridges)

// Status 0 is write-one-to-clear; a start in control 2 runs the protocol
// at once. Block reads either hand out one byte per byte-done handshake
// (ICH1) or fill the 32-byte buffer behind register 7 (ATI).
struct IntelChip : Chip {
  bool buffered = false;
  size_t blockIndex = 0;
  uint8_t bufferIndex = 0;
  std::vector<uint8_t> bufferWrites;

  IntelChip() {
    f.onWrite = [this](uint16_t reg, uint8_t v, uint8_t before) {
      if (reg == 0) {
        f.regs[0] = before & ~v;
        if (!buffered && (before & v & 0x80) && ++blockIndex < block.size()) {  // releases the next byte
          f.regs[7] = block[blockIndex];
          f.regs[0] |= 0x80;
        }
      }
      if (reg == 7 && buffered) bufferWrites.push_back(v);
      if (reg == 2 && (v & 0x40)) Start(v & 0x1C);
    };
    f.onRead = [this](uint16_t reg, uint32_t* v) {
      if (reg == 0) {
        ++statusReadsSinceStart;
        if (busyLeft) {
          *v |= 0x01;
          if (busyLeft > 0) --busyLeft;
        }
      }
      if (reg == 2 && buffered) bufferIndex = 0;
      if (reg == 7 && buffered) *v = bufferIndex < block.size() ? block[bufferIndex++] : 0;
    };
  }
  void Start(uint8_t protocol) {
    ++starts;
    statusReadsSinceStart = 0;
    busyLeft = busyAfterStart;
    const uint8_t a = f.regs[4], cmd = f.regs[3];
    if (!Present(a)) {
      f.regs[0] = 0x04;  // device error: no acknowledge
      return;
    }
    const bool read = a & 1;
    if (protocol == 0x08) {
      if (read) f.regs[5] = slave[cmd];
      else slave[cmd] = f.regs[5];
    } else if (protocol == 0x0C) {
      if (read) {
        f.regs[5] = slave[cmd];
        f.regs[6] = slave[static_cast<uint8_t>(cmd + 1)];
      } else {
        slave[cmd] = f.regs[5];
        slave[static_cast<uint8_t>(cmd + 1)] = f.regs[6];
      }
    } else if (protocol == 0x14 && buffered) {
      if (read) {
        f.regs[5] = static_cast<uint8_t>(block.size());
      } else {
        written.assign(bufferWrites.begin(), bufferWrites.end());
        written.resize(f.regs[5]);
      }
    } else if (protocol == 0x14 && read) {
      f.regs[5] = static_cast<uint8_t>(block.size());
      blockIndex = 0;
      f.regs[7] = block.empty() ? 0 : block[0];
      f.regs[0] = 0x80;
      return;
    }
    f.regs[0] = 0x02;
  }
};

struct IntelCase {
  const char* name;
  std::function<CSMBusRegisterSpace*(CIOSpace*)> make;
  bool buffered;
  int wordWritePolls;  // word reads, byte and word writes
};

class IntelLike : public ::testing::TestWithParam<IntelCase> {
 protected:
  testsupport::EmulatedSdk env;
  IntelChip chip;
  DirectWindow window{&chip.f};
  std::unique_ptr<CSMBusRegisterSpace> host{GetParam().make(&window)};
  void SetUp() override { chip.buffered = GetParam().buffered; }
};

TEST_P(IntelLike, ByteAndWordTransfersReachTheSlave) {
  uint8_t v = 0, lo = 0, hi = 0;
  EXPECT_EQ(host->ReadByte(kPresent, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0B);
  EXPECT_EQ(chip.f.regs[4], kPresent << 1 | 1);
  EXPECT_EQ(host->ReadWord(kPresent, 0x00, &lo, &hi), 1);
  EXPECT_EQ(lo, 0x92);
  EXPECT_EQ(hi, 0x10);
  EXPECT_EQ(host->WriteByte(kPresent, 0x20, 0xA5), 1);
  EXPECT_EQ(chip.slave[0x20], 0xA5);
  EXPECT_EQ(chip.f.regs[4], kPresent << 1) << "a write carries no read bit";
  EXPECT_EQ(host->WriteWord(kPresent, 0x30, 0xCD, 0xAB), 1);
  EXPECT_EQ(chip.slave[0x30], 0xCD);
  EXPECT_EQ(chip.slave[0x31], 0xAB);
  EXPECT_EQ(chip.starts, 4);
}

TEST_P(IntelLike, NoAcknowledgeFailsWithoutData) {
  chip.f.regs[5] = 0x5A;  // stale data of an earlier transaction
  chip.f.regs[6] = 0x5B;
  uint8_t v = 0xEE, lo = 0xEE, hi = 0xEE;
  EXPECT_EQ(host->ReadByte(0x51, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(host->ReadWord(0x51, 0x00, &lo, &hi), 0);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
}

TEST_P(IntelLike, WritesToASilentSlaveFail) {
  const uint8_t data[3] = {1, 2, 3};
  EXPECT_EQ(host->WriteByte(0x51, 0x20, 0xA5), 0);
  EXPECT_EQ(host->WriteWord(0x51, 0x30, 0xCD, 0xAB), 0);
  EXPECT_EQ(host->WriteBlock(0x51, 0x40, data, 3), -1);
  // A start the host ignored leaves no completion: not a success either.
  chip.f.onWrite = nullptr;
  chip.f.regs[0] = 0;
  EXPECT_EQ(host->WriteByte(kPresent, 0x20, 0xA5), 0);
}

TEST_P(IntelLike, BusyHostIsGivenUpAfterItsPollLimit) {
  chip.busyAfterStart = kForever;
  uint8_t v = 0xEE, lo = 0xEE, hi = 0xEE;

  Clock byteClock(*env.machine);
  EXPECT_EQ(host->ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(chip.statusReadsSinceStart, 501) << "one read after the start, then 500 polls";
  EXPECT_EQ(byteClock.Ms(), 501u) << "1 ms before each status read";
  EXPECT_EQ(chip.f.Writes(chip.f.After(2, chip.f.regs[2])), 0) << "nothing is written after a byte-read time-out";

  const int limit = GetParam().wordWritePolls;
  Clock wordClock(*env.machine);
  EXPECT_EQ(host->ReadWord(kPresent, 0x00, &lo, &hi), 0);
  EXPECT_EQ(chip.statusReadsSinceStart, limit + 1);
  EXPECT_EQ(wordClock.Ms(), static_cast<uint64_t>(limit + 1));

  Clock writeClock(*env.machine);
  EXPECT_EQ(host->WriteByte(kPresent, 0x20, 0x11), 0);
  EXPECT_EQ(chip.statusReadsSinceStart, limit);
  EXPECT_EQ(writeClock.Ms(), static_cast<uint64_t>(limit));
}

TEST_P(IntelLike, ShortBusySpellStillSucceeds) {
  // Three busy reads, the fourth finds the byte: the first waits of a poll
  // are a quarter of its millisecond, so the transaction is seen finished
  // after 1 ms rather than 4.
  chip.busyAfterStart = 3;
  uint8_t v = 0;
  Clock clock(*env.machine);
  EXPECT_EQ(host->ReadByte(kPresent, 0x03, &v), 1);
  EXPECT_EQ(v, 0x3C);
  EXPECT_EQ(clock.Ms(), 1u);
}

TEST_P(IntelLike, BlockReadStopsAtThirtyTwoBytes) {
  chip.block = Sequence(40, 0xC0);
  uint8_t out[40] = {};
  EXPECT_EQ(host->ReadBlock(kPresent, 0x00, out), 32);
  EXPECT_EQ(out[0], 0xC0);
  EXPECT_EQ(out[31], 0xC0 + 31);
  EXPECT_EQ(out[32], 0) << "nothing beyond the 32-byte buffer";

  chip.block = Sequence(5, 0x10);
  uint8_t small[32] = {};
  EXPECT_EQ(host->ReadBlock(kPresent, 0x00, small), 5);
  EXPECT_EQ(small[4], 0x14);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, IntelLike,
    ::testing::Values(
        IntelCase{"Ich1", [](CIOSpace* w) { return new Intel_ICH1_SMBusRegisterSpace(w); }, false, 1000},
        IntelCase{"AtiSb", [](CIOSpace* w) { return new ATI_SB_SMBusRegisterSpace(w); }, true, 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AtiSbHost, BlockWriteFillsTheBufferBeforeTheStart) {
  testsupport::EmulatedSdk env;
  IntelChip chip;
  chip.buffered = true;
  DirectWindow window(&chip.f);
  ATI_SB_SMBusRegisterSpace host(&window);
  EXPECT_EQ(host.pollLimit, 200);
  const std::vector<uint8_t> data = Sequence(6, 0x41);
  EXPECT_EQ(host.WriteBlock(kPresent, 0x07, data.data(), 6), 6);
  EXPECT_EQ(chip.written, data);
  EXPECT_EQ(chip.f.regs[3], 0x07);

  // A slave that does not acknowledge: -1, not a count.
  EXPECT_EQ(host.WriteBlock(0x51, 0x07, data.data(), 6), -1);
  uint8_t out[32] = {};
  EXPECT_EQ(host.ReadBlock(0x51, 0x00, out), -1);

  chip.busyAfterStart = kForever;
  Clock clock(*env.machine);
  EXPECT_EQ(host.ReadBlock(kPresent, 0x00, out), -1);
  EXPECT_EQ(chip.statusReadsSinceStart, 200);
  EXPECT_EQ(clock.Ms(), 200u);
}

// ---- ALi M1563: Intel-like registers with its own protocol codes.

struct AliM1563Chip : Chip {
  uint8_t stuckStatus = 0x01;  // what a host that never finishes shows
  int busyBeforeStart = 0;
  std::vector<uint8_t> starts_;
  AliM1563Chip() {
    f.onWrite = [this](uint16_t reg, uint8_t v, uint8_t before) {
      if (reg == 0) f.regs[0] = before & ~v;
      if (reg == 2 && (v & 0x40)) Start(v);
    };
    f.onRead = [this](uint16_t reg, uint32_t* v) {
      if (reg != 0) return;
      ++statusReadsSinceStart;
      if (busyBeforeStart > 0) {
        --busyBeforeStart;
        *v |= 0x01;
      } else if (busyLeft) {
        *v = stuckStatus;
        if (busyLeft > 0) --busyLeft;
      }
    };
  }
  void Start(uint8_t control) {
    ++starts;
    starts_.push_back(control);
    statusReadsSinceStart = 0;
    busyLeft = busyAfterStart;
    const uint8_t a = f.regs[4], cmd = f.regs[3];
    if (!Present(a)) {
      f.regs[0] = 0x04;
      return;
    }
    const bool word = (control & 0x18) == 0x18;
    if (a & 1) {
      f.regs[5] = slave[cmd];
      if (word) f.regs[6] = slave[static_cast<uint8_t>(cmd + 1)];
    } else {
      slave[cmd] = f.regs[5];
      if (word) slave[static_cast<uint8_t>(cmd + 1)] = f.regs[6];
    }
    f.regs[0] = 0x00;
  }
};

TEST(AliM1563Host, ProtocolCodesDataAndErrors) {
  testsupport::EmulatedSdk env;
  AliM1563Chip chip;
  chip.f.regs[2] = 0xFF;  // the bits the host must keep or clear
  DirectWindow window(&chip.f);
  ALI_M1563_SMBusRegisterSpace host(&window);
  uint8_t v = 0, lo = 0, hi = 0;
  EXPECT_EQ(host.ReadByte(kPresent, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0B);
  EXPECT_EQ(chip.starts_.back() & 0x38, 0x10) << "byte data";
  EXPECT_EQ(host.ReadWord(kPresent, 0x00, &lo, &hi), 1);
  EXPECT_EQ(lo, 0x92);
  EXPECT_EQ(hi, 0x10);
  EXPECT_EQ(chip.starts_.back() & 0x38, 0x18) << "word data";
  EXPECT_EQ(host.WriteByte(kPresent, 0x20, 0x77), 1);
  EXPECT_EQ(chip.slave[0x20], 0x77);
  EXPECT_EQ(host.WriteWord(kPresent, 0x30, 0x01, 0x02), 1);
  EXPECT_EQ(chip.slave[0x31], 0x02);

  chip.f.regs[5] = 0x5A;
  v = 0xEE;
  EXPECT_EQ(host.ReadByte(0x51, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(host.WriteByte(0x51, 0x00, 1), 0);
}

TEST(AliM1563Host, WaitsForABusyHostBeforeTheStart) {
  testsupport::EmulatedSdk env;
  AliM1563Chip chip;
  chip.busyBeforeStart = 3;
  DirectWindow window(&chip.f);
  ALI_M1563_SMBusRegisterSpace host(&window);
  uint8_t v = 0;
  EXPECT_EQ(host.ReadByte(kPresent, 0x03, &v), 1);
  EXPECT_EQ(v, 0x3C);
  EXPECT_EQ(chip.starts, 1);
}

TEST(AliM1563Host, TimeOutKillsTheTransaction) {
  testsupport::EmulatedSdk env;
  AliM1563Chip chip;
  chip.busyAfterStart = kForever;
  chip.stuckStatus = 0x19;  // busy, with bits 3 and 4 up
  DirectWindow window(&chip.f);
  ALI_M1563_SMBusRegisterSpace host(&window);
  uint8_t v = 0xEE;
  Clock clock(*env.machine);
  EXPECT_EQ(host.ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_GE(chip.statusReadsSinceStart, 200);
  EXPECT_LE(chip.statusReadsSinceStart, 202);
  EXPECT_GE(clock.Ms(), 200u);
  EXPECT_LE(clock.Ms(), 202u);
  const size_t start = chip.f.After(2, chip.starts_.back());
  std::vector<std::pair<uint16_t, uint8_t>> after;
  for (size_t i = start; i < chip.f.log.size(); ++i)
    if (chip.f.log[i].write) after.push_back({chip.f.log[i].reg, chip.f.log[i].value});
  const std::vector<std::pair<uint16_t, uint8_t>> expected{{2, 0x04}, {1, 0x80}, {2, 0x00}};
  EXPECT_EQ(after, expected) << "kill, then the bit-3 and bit-4 recoveries";
}

// ---- ALi M7101: status 0 (bit 2 idle, bit 3 busy), control 1, start 2,
// address 3, data 4, command 7.

struct AliM7101Chip : Chip {
  bool neverIdle = false;
  AliM7101Chip() {
    f.regs[0] = 0x04;
    f.onWrite = [this](uint16_t reg, uint8_t v, uint8_t before) {
      if (reg == 0) f.regs[0] = (before & ~v) | (before & 0x04);
      if (reg == 2) Start();
    };
    f.onRead = [this](uint16_t reg, uint32_t* v) {
      if (reg != 0) return;
      ++statusReadsSinceStart;
      if (neverIdle) *v &= ~0x04u;
      if (busyLeft) {
        *v = 0x08;
        if (busyLeft > 0) --busyLeft;
      }
    };
  }
  void Start() {
    ++starts;
    statusReadsSinceStart = 0;
    busyLeft = busyAfterStart;
    const uint8_t a = f.regs[3], cmd = f.regs[7];
    if (f.regs[1] != 0x20 || !Present(a)) {
      f.regs[0] = 0x24;  // idle with the no-acknowledge error
      return;
    }
    if (a & 1) f.regs[4] = slave[cmd];
    else slave[cmd] = f.regs[4];
    f.regs[0] = 0x04;
  }
};

TEST(AliM7101Host, ByteReadAndWriteWithErrorsAndTimeOut) {
  testsupport::EmulatedSdk env;
  AliM7101Chip chip;
  DirectWindow window(&chip.f);
  ALI_M7101_SMBusRegisterSpace host(&window);
  uint8_t v = 0;
  EXPECT_EQ(host.ReadByte(kPresent, 0x01, &v), 1);
  EXPECT_EQ(v, 0x10);
  EXPECT_EQ(host.WriteByte(kPresent, 0x22, 0x99), 1);
  EXPECT_EQ(chip.slave[0x22], 0x99);
  EXPECT_EQ(host.WriteByte(0x51, 0x22, 0x98), 0) << "a write nobody acknowledged";

  chip.f.regs[4] = 0x5A;
  v = 0xEE;
  EXPECT_EQ(host.ReadByte(0x51, 0x00, &v), 0);
  EXPECT_EQ(v, 0);

  chip.busyAfterStart = kForever;
  Clock clock(*env.machine);
  EXPECT_EQ(host.ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_GE(chip.statusReadsSinceStart, 200);
  EXPECT_LE(chip.statusReadsSinceStart, 201);
  EXPECT_GE(clock.Ms(), 200u);
  EXPECT_LE(clock.Ms(), 201u);

  // A host that never shows idle is never started.
  chip.busyAfterStart = 0;
  chip.busyLeft = 0;
  chip.neverIdle = true;
  const int starts = chip.starts;
  EXPECT_EQ(host.ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(chip.starts, starts);
  EXPECT_EQ(uint64_t{0} + host.pollLimit, 200u);
}

// ---- AMD-755: 16-bit registers, busy 0x808 in the global status.

struct Am755Chip : Chip {
  bool stuckBeforeStart = false;
  Am755Chip() {
    f.onWrite = [this](uint16_t reg, uint8_t v, uint8_t before) {
      if (reg == 0 || reg == 1) f.regs[reg] = before & ~v;
      if (reg == 2 && (v & 0x08) && !(before & 0x08)) Start();
    };
    f.onRead = [this](uint16_t reg, uint32_t* v) {
      if (reg == 0) {
        ++statusReadsSinceStart;
        if (busyLeft) {
          *v |= 0x08;
          if (busyLeft > 0) --busyLeft;
        }
      }
      if (reg == 1 && stuckBeforeStart) *v |= 0x08;
    };
  }
  void Start() {
    ++starts;
    statusReadsSinceStart = 0;
    busyLeft = busyAfterStart;
    const uint8_t a = f.regs[4], cmd = f.regs[8];
    if (!Present(a) || !(a & 1)) {
      f.regs[0] = 0x04;
      return;
    }
    f.regs[6] = slave[cmd];
    f.regs[0] = 0x10;
  }
};

TEST(Am755Host, ByteReadErrorsAndBothBusyWaits) {
  testsupport::EmulatedSdk env;
  Am755Chip chip;
  DirectWindow window(&chip.f);
  AMD_AM755_SMBusRegisterSpace host(&window);
  uint8_t v = 0;
  EXPECT_EQ(host.ReadByte(kPresent, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0B);
  EXPECT_EQ(chip.f.regs[2] & 0x0A, 0x0A);
  EXPECT_EQ(chip.f.regs[0], 0) << "status cleared with 0x37";

  for (uint8_t error : {0x02, 0x04, 0x20}) {
    chip.f.onWrite = [&chip, error, inner = chip.f.onWrite](uint16_t reg, uint8_t val, uint8_t before) {
      inner(reg, val, before);
      if (reg == 2 && (val & 0x08)) chip.f.regs[0] = error;
    };
    chip.f.regs[2] = 0;
    chip.f.regs[6] = 0x5A;
    v = 0xEE;
    EXPECT_EQ(host.ReadByte(kPresent, 0x00, &v), 0) << int{error};
    EXPECT_EQ(v, 0) << int{error};
  }

  // Busy after the start: given up after the poll limit, with no waits.
  Am755Chip stuck;
  stuck.busyAfterStart = kForever;
  DirectWindow w2(&stuck.f);
  AMD_AM755_SMBusRegisterSpace h2(&w2);
  Clock clock(*env.machine);
  EXPECT_EQ(h2.ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_GE(stuck.statusReadsSinceStart, 200);
  EXPECT_LE(stuck.statusReadsSinceStart, 201);
  EXPECT_EQ(clock.Ms(), 0u);

  // A host busy before the start is aborted and never started.
  Am755Chip hung;
  hung.stuckBeforeStart = true;
  DirectWindow w3(&hung.f);
  AMD_AM755_SMBusRegisterSpace h3(&w3);
  EXPECT_EQ(h3.ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(hung.starts, 0);
  EXPECT_EQ(hung.f.regs[2], 0x20) << "abort";
  EXPECT_GE(hung.f.reads[0], 200);
  EXPECT_LE(hung.f.reads[0], 201);
  EXPECT_EQ(clock.Ms(), 0u);
}

// ---- SiS: status 0, semaphore 2, control 3, address 4, command 5, block
// count 7, data at 8 (SiS968: 0x10).

struct SisChip : Chip {
  uint8_t dataReg;
  uint8_t blockReadReg = 8;
  size_t chunk;
  size_t blockIndex = 0;
  bool semaphoreStuck = false;
  bool blockWrite = false;
  bool refuseLaterChunks = false;  // the slave stops acknowledging after the first chunk
  SisChip(uint8_t data, size_t chunkSize) : dataReg(data), chunk(chunkSize) {
    f.onWrite = [this](uint16_t reg, uint8_t v, uint8_t before) {
      if (reg == 0) {
        f.regs[0] = before & ~v;
        if (v == 0x10 && blockWrite) TakeChunk();
        else if (v == 0x10) LoadChunk();
      }
      if (reg == 2 && semaphoreStuck) f.regs[2] = 0x01;
      if (reg == 3 && v == 0x20 && !semaphoreStuck) f.regs[2] = 0;
      if (reg == 3 && (v == 0x12 || v == 0x13 || v == 0x15)) Start(v);
    };
    f.onRead = [this](uint16_t reg, uint32_t* v) {
      if (reg != 0) return;
      ++statusReadsSinceStart;
      if (busyLeft) {
        *v = 0x01;
        if (busyLeft > 0) --busyLeft;
      }
    };
  }
  void LoadChunk() {
    for (size_t i = 0; i < chunk; ++i, ++blockIndex)
      f.regs[blockReadReg + i] = blockIndex < block.size() ? block[blockIndex] : 0;
  }
  void TakeChunk() {
    if (refuseLaterChunks && !written.empty()) {
      f.regs[0] = 0x04;
      return;
    }
    for (size_t i = 0; i < chunk && written.size() < f.regs[7]; ++i) written.push_back(f.regs[dataReg + i]);
  }
  void Start(uint8_t protocol) {
    ++starts;
    statusReadsSinceStart = 0;
    busyLeft = busyAfterStart;
    const uint8_t a = f.regs[4], cmd = f.regs[5];
    if (!Present(a)) {
      f.regs[0] = 0x02;
      return;
    }
    const bool read = a & 1;
    if (protocol == 0x12) {
      if (read) f.regs[dataReg] = slave[cmd];
      else slave[cmd] = f.regs[dataReg];
    } else if (protocol == 0x13) {
      if (read) {
        f.regs[dataReg] = slave[cmd];
        f.regs[dataReg + 1] = slave[static_cast<uint8_t>(cmd + 1)];
      } else {
        slave[cmd] = f.regs[dataReg];
        slave[static_cast<uint8_t>(cmd + 1)] = f.regs[dataReg + 1];
      }
    } else if (read) {
      f.regs[7] = static_cast<uint8_t>(block.size());
      blockIndex = 0;
      LoadChunk();
    } else {
      blockWrite = true;
      written.clear();
      TakeChunk();
    }
    f.regs[0] = 0x08;
  }
};

struct SisCase {
  const char* name;
  std::function<CSMBusRegisterSpace*(CIOSpace*)> make;
  uint8_t dataReg;
  size_t chunk;
  bool semaphore;  // writes 0x20 to register 2 before each transaction
};

class SisHosts : public ::testing::TestWithParam<SisCase> {
 protected:
  testsupport::EmulatedSdk env;
  SisChip chip{GetParam().dataReg, GetParam().chunk};
  DirectWindow window{&chip.f};
  std::unique_ptr<CSMBusRegisterSpace> host{GetParam().make(&window)};
};

TEST_P(SisHosts, ByteAndWordTransfersUseTheDataRegisters) {
  uint8_t v = 0, lo = 0, hi = 0;
  EXPECT_EQ(host->ReadByte(kPresent, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0B);
  EXPECT_EQ(chip.f.regs[0], 0) << "status cleared after a read";
  EXPECT_EQ(host->ReadWord(kPresent, 0x00, &lo, &hi), 1);
  EXPECT_EQ(lo, 0x92);
  EXPECT_EQ(hi, 0x10);
  EXPECT_EQ(host->WriteByte(kPresent, 0x20, 0x66), 1);
  EXPECT_EQ(chip.slave[0x20], 0x66);
  EXPECT_EQ(host->WriteWord(kPresent, 0x30, 0x12, 0x34), 1);
  EXPECT_EQ(chip.slave[0x30], 0x12);
  EXPECT_EQ(chip.slave[0x31], 0x34);
  EXPECT_EQ(chip.f.WritesTo(2) > 0, GetParam().semaphore);
  EXPECT_EQ(host->pollLimit, 200);
}

TEST_P(SisHosts, ErrorsAndAStuckSemaphoreFail) {
  chip.f.regs[GetParam().dataReg] = 0x5A;
  uint8_t v = 0xEE, lo = 0xEE, hi = 0xEE;
  EXPECT_EQ(host->ReadByte(0x51, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(host->ReadWord(0x51, 0x00, &lo, &hi), 0);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
  EXPECT_EQ(host->WriteByte(0x51, 0x00, 1), 0);

  chip.semaphoreStuck = true;
  chip.f.regs[2] = 0x01;
  const int starts = chip.starts;
  EXPECT_EQ(host->ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(chip.starts, starts);
  EXPECT_EQ(chip.f.regs[3], 0x20) << "kill";
}

TEST_P(SisHosts, BusyHostIsPolledEveryTenMilliseconds) {
  chip.busyAfterStart = kForever;
  uint8_t v = 0xEE;
  Clock clock(*env.machine);
  EXPECT_EQ(host->ReadByte(kPresent, 0x00, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(chip.statusReadsSinceStart, 201);
  EXPECT_EQ(clock.Ms(), 2010u);
}

TEST_P(SisHosts, BlockReadAndWrite) {
  chip.block = Sequence(20, 0x60);
  uint8_t out[32] = {};
  Clock clock(*env.machine);
  EXPECT_EQ(host->ReadBlock(kPresent, 0x00, out), 20);
  EXPECT_GE(clock.Ms(), 50u) << "a block read settles 50 ms";
  for (int i = 0; i < 20; ++i) EXPECT_EQ(out[i], 0x60 + i) << i;

  const std::vector<uint8_t> data = Sequence(12, 0x30);
  EXPECT_EQ(host->WriteBlock(kPresent, 0x04, data.data(), 12), 12);
  EXPECT_EQ(chip.written, data);
  // A chunk after the first that is not acknowledged fails the write.
  chip.refuseLaterChunks = true;
  EXPECT_EQ(host->WriteBlock(kPresent, 0x04, data.data(), 12), GetParam().chunk < 12 ? -1 : 12);

  EXPECT_EQ(host->ReadBlock(0x51, 0x00, out), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, SisHosts,
    ::testing::Values(SisCase{"SiS", [](CIOSpace* w) { return new SiS_SMBusRegisterSpace(w); }, 0x08, 8, true},
                      SisCase{"SiS968", [](CIOSpace* w) { return new SiS968_SMBusRegisterSpace(w); }, 0x10, 32,
                              false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
