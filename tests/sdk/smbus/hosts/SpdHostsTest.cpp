// The SPD-only hosts in memory-controller configuration space against a
// fake of their status, command and control dwords: the command words
// written, the slot range checks, the handshake and the give-up.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "sdk/access/CPCIConfigSpace.h"
#include "sdk/access/Intel_5000X_SMBusRegisterSpace.h"
#include "sdk/access/Intel_E8500_SMBusRegisterSpace.h"
#include "sdk/access/Intel_X79_SMBusRegisterSpace.h"
#include "tests/sdk/smbus/hosts/HostFake.h"

namespace {

using hosttest::Clock;
constexpr uint32_t kBus = 0, kDev = 16, kFn = 1;
constexpr int kForever = -1;

// The memory controller function's configuration dwords.
class ConfigFake : public CPCIConfigSpace {
 public:
  ConfigFake() : CPCIConfigSpace(REGSPACE_PCI, nullptr) {}
  int ReadConfig32(uint32_t b, uint32_t d, uint32_t f, uint32_t reg, uint32_t* value) override {
    EXPECT_EQ(reg & 3, 0u);
    EXPECT_TRUE(b == kBus && d == kDev && f == kFn);
    ++accesses;
    ++reads[reg];
    if (failing.count(reg)) return 0;
    uint32_t v = dwords[reg];
    if (onRead) onRead(reg, &v);
    *value = v;
    return 1;
  }
  int WriteConfig32(uint32_t b, uint32_t d, uint32_t f, uint32_t reg, uint32_t value) override {
    EXPECT_EQ(reg & 3, 0u);
    EXPECT_TRUE(b == kBus && d == kDev && f == kFn);
    ++accesses;
    ++writes;
    uint32_t before = dwords[reg];
    dwords[reg] = value;
    if (onWrite) onWrite(reg, value, before);
    return 1;
  }
  std::map<uint32_t, uint32_t> dwords;
  std::map<uint32_t, int> reads;
  std::set<uint32_t> failing;  // dwords whose reads fail
  int writes = 0;
  int accesses = 0;
  std::function<void(uint32_t, uint32_t*)> onRead;
  std::function<void(uint32_t, uint32_t, uint32_t)> onWrite;
};

// ---- 5000X and E8500: status word (bit 12 busy, 13 error, 14 write done,
// 15 read data valid, 7:0 data) and command dword.

struct SpdChip {
  ConfigFake config;
  uint32_t statusReg, commandReg;
  bool startOnBit27;            // 5000X: a rising bit 27 starts; E8500: the command write
  int busyAfterStart = 2;       // status reads that still show busy
  int busyLeft = 0;
  bool pending = false;
  uint32_t lastCommand = 0;
  int starts = 0;
  int statusReadsSinceStart = 0;
  std::map<int, std::map<uint8_t, uint8_t>> eeproms{{0, {{0, 0x92}, {2, 0x0B}}}, {1, {{2, 0x0C}}}, {5, {{2, 0x0D}}}};
  uint16_t status = 0;

  SpdChip(uint32_t s, uint32_t c, bool bit27) : statusReg(s), commandReg(c), startOnBit27(bit27) {
    config.onWrite = [this](uint32_t reg, uint32_t v, uint32_t before) {
      if (reg != commandReg) return;
      if (startOnBit27 ? ((v & 1u << 27) && !(before & 1u << 27)) : true) Start(v);
    };
    config.onRead = [this](uint32_t reg, uint32_t* v) {
      if (reg != (statusReg & ~3u)) return;
      ++statusReadsSinceStart;
      if (pending && busyLeft == 0) Finish();
      uint16_t s = status;
      if (pending) {
        s |= 0x1000;
        if (busyLeft > 0) --busyLeft;
      }
      const int shift = (statusReg & 3) * 8;
      *v = (*v & ~(0xFFFFu << shift)) | static_cast<uint32_t>(s) << shift;
    };
  }
  void Start(uint32_t command) {
    ++starts;
    statusReadsSinceStart = 0;
    lastCommand = command & ~(1u << 27);
    pending = true;
    status = 0;
    busyLeft = busyAfterStart;
  }
  void Finish() {
    pending = false;
    const int slot = (lastCommand >> 24) & 7;
    const uint8_t offset = (lastCommand >> 16) & 0xFF;
    if ((lastCommand >> 28) != 0xA || !eeproms.count(slot)) {
      status = 0x2000;
      return;
    }
    if (lastCommand & 1) {
      eeproms[slot][offset] = static_cast<uint8_t>(lastCommand >> 8);
      status = 0x4000;
    } else {
      status = static_cast<uint16_t>(0x8000 | eeproms[slot][offset]);
    }
  }
};

struct SpdCase {
  const char* name;
  uint32_t statusReg, commandReg;
  bool e8500;
};

class SpdHosts : public ::testing::TestWithParam<SpdCase> {
 protected:
  testsupport::EmulatedSdk env;
  SpdChip chip{GetParam().statusReg, GetParam().commandReg, !GetParam().e8500};
  std::unique_ptr<Intel_5000X_SMBusRegisterSpace> host{Make()};
  int Slots() const { return GetParam().e8500 ? 8 : 4; }

 private:
  Intel_5000X_SMBusRegisterSpace* Make() {
    const SpdCase& c = GetParam();
    if (c.e8500)
      return new Intel_E8500_SMBusRegisterSpace(&chip.config, kBus, kDev, kFn, c.statusReg, c.commandReg, 0x80862621);
    return new Intel_5000X_SMBusRegisterSpace(&chip.config, kBus, kDev, kFn, c.statusReg, c.commandReg, 0x808625F5);
  }
};

TEST_P(SpdHosts, ReadsAndWritesTheSlotsEeprom) {
  EXPECT_EQ(host->pollLimit, 2000);
  EXPECT_EQ(host->address, 0x80000000u | kDev << 11 | kFn << 8 | GetParam().statusReg);
  uint8_t v = 0;
  EXPECT_EQ(host->ReadByte(1, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0C);
  EXPECT_EQ(chip.lastCommand, 0xA1020000u);
  EXPECT_EQ(host->ReadByte(0, 0x00, &v), 1);
  EXPECT_EQ(v, 0x92);

  EXPECT_EQ(host->WriteByte(0, 0x10, 0x77), 1);
  EXPECT_EQ(chip.lastCommand, 0xA0107701u);
  EXPECT_EQ(chip.eeproms[0][0x10], 0x77);
  EXPECT_EQ(chip.starts, 3);
}

TEST_P(SpdHosts, EmptySlotFailsWithoutData) {
  uint8_t v = 0xEE;
  EXPECT_EQ(host->ReadByte(3, 0x02, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(host->WriteByte(3, 0x02, 0x11), 0);
}

TEST_P(SpdHosts, SlotBeyondTheChannelFailsWithoutAnAccess) {
  uint8_t v = 0xEE;
  for (int slot : {Slots(), Slots() + 1, 0x50, 0xFF}) {
    EXPECT_EQ(host->ReadByte(static_cast<uint8_t>(slot), 0x02, &v), 0) << slot;
    EXPECT_EQ(v, 0);
    EXPECT_EQ(host->WriteByte(static_cast<uint8_t>(slot), 0x02, 0x11), 0) << slot;
  }
  EXPECT_EQ(chip.config.accesses, 0);
  if (GetParam().e8500) {
    EXPECT_EQ(host->ReadByte(5, 0x02, &v), 1) << "eight slots";
    EXPECT_EQ(v, 0x0D);
  }
}

TEST_P(SpdHosts, HostThatStaysBusyIsGivenUp) {
  chip.busyAfterStart = kForever;
  uint8_t v = 0xEE;
  Clock readClock(*env.machine);
  EXPECT_EQ(host->ReadByte(0, 0x02, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_GE(chip.statusReadsSinceStart, 2000);
  EXPECT_LE(chip.statusReadsSinceStart, 2001);
  // The 5000X polls a read without waits; everything else waits 10 ms.
  const uint64_t readMs = GetParam().e8500 ? 20000 : 0;
  EXPECT_GE(readClock.Ms(), readMs);
  EXPECT_LE(readClock.Ms(), readMs + 10);

  chip.pending = false;  // the stuck read is over; the write starts afresh
  Clock writeClock(*env.machine);
  EXPECT_EQ(host->WriteByte(0, 0x02, 0x11), 0);
  EXPECT_GE(chip.statusReadsSinceStart, 2000);
  EXPECT_LE(chip.statusReadsSinceStart, 2001);
  EXPECT_GE(writeClock.Ms(), 20000u);
  EXPECT_LE(writeClock.Ms(), 20010u);
}

INSTANTIATE_TEST_SUITE_P(Hosts, SpdHosts,
                         ::testing::Values(SpdCase{"X5000Low", 0x74, 0x78, false},
                                           SpdCase{"X5000High", 0x76, 0x7C, false},
                                           SpdCase{"X5000Swapped", 0x84, 0x80, false},
                                           SpdCase{"E8500", 0x80, 0x84, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(E8500Host, HostBusyBeforeTheCommandIsNeverStarted) {
  testsupport::EmulatedSdk env;
  SpdChip chip(0x80, 0x84, false);
  chip.status = 0x1000;
  Intel_E8500_SMBusRegisterSpace host(&chip.config, kBus, kDev, kFn, 0x80, 0x84, 0x80862621);
  uint8_t v = 0xEE;
  Clock clock(*env.machine);
  EXPECT_EQ(host.ReadByte(0, 0x02, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(chip.starts, 0);
  EXPECT_GE(clock.Ms(), 20000u);
  EXPECT_LE(clock.Ms(), 20010u);
}

TEST(SpdStatus, AStatusThatDoesNotAnswerEndsTheTransactionWithoutAWrite) {
  // The E8500 reads the status before its command, the 5000X right after
  // its start: from the failed read on nothing more is written.
  for (bool e8500 : {true, false}) {
    SCOPED_TRACE(e8500 ? "E8500" : "5000X");
    testsupport::EmulatedSdk env;
    SpdChip chip(e8500 ? 0x80 : 0x74, e8500 ? 0x84 : 0x78, !e8500);
    chip.config.failing.insert(e8500 ? 0x80 : 0x74);
    std::unique_ptr<CSMBusRegisterSpace> host;
    if (e8500)
      host.reset(new Intel_E8500_SMBusRegisterSpace(&chip.config, kBus, kDev, kFn, 0x80, 0x84, 0x80862621));
    else
      host.reset(new Intel_5000X_SMBusRegisterSpace(&chip.config, kBus, kDev, kFn, 0x74, 0x78, 0x808625F5));
    uint8_t v = 0xEE;
    EXPECT_EQ(host->ReadByte(0, 0x02, &v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(host->WriteByte(0, 0x20, 0x55), 0);
    EXPECT_EQ(chip.config.writes, e8500 ? 0 : 2) << "the 5000X's two command words, nothing after them";
    EXPECT_EQ(chip.starts, 0);
  }
}

// ---- X79: status/command/control at 0x180 (slots 0x50-0x53) and 0x190
// (0x54-0x57); busy bit 28, valid 31, error 29.

struct X79Chip {
  ConfigFake config;
  struct Set {
    std::map<uint32_t, std::map<uint8_t, uint8_t>> dimms;  // by the index in command bits 26:24
    int busyLeft = 0;
    bool pending = false;
    uint32_t command = 0;
    uint32_t status = 0;
  };
  std::map<uint32_t, Set> sets;
  int busyAfterStart = 3;
  int statusReads = 0;

  X79Chip() {
    sets[0x180].dimms = {{0, {{2, 0x0B}}}, {2, {{2, 0x0C}}}, {6, {{2, 0x0E}}}};
    sets[0x190].dimms = {{0, {{2, 0x1B}}}, {2, {{2, 0x1C}}}};
    config.onWrite = [this](uint32_t reg, uint32_t v, uint32_t before) {
      const uint32_t base = reg & ~0xFu;
      if (!sets.count(base)) return;
      Set& s = sets[base];
      if ((reg & 0xF) == 4 && (v & 0x80000000u)) {
        s.command = v;
        s.pending = true;
        s.busyLeft = busyAfterStart;
      }
      if ((reg & 0xF) == 8 && ((v ^ before) & 1u << 27)) s.status = 0x10000000;  // reset of the engine
    };
    config.onRead = [this](uint32_t reg, uint32_t* v) {
      const uint32_t base = reg & ~0xFu;
      if (!sets.count(base) || (reg & 0xF) != 0) return;
      ++statusReads;
      Set& s = sets[base];
      if (s.pending && s.busyLeft == 0) {
        s.pending = false;
        const uint32_t index = (s.command >> 24) & 7;
        const uint8_t offset = (s.command >> 16) & 0xFF;
        s.status = s.dimms.count(index) ? 0x80000000u | s.dimms[index][offset] : 0x20000000u;
      }
      *v = s.pending ? 0x10000000u : s.status;
      if (s.pending && s.busyLeft > 0) --s.busyLeft;
    };
  }
};

TEST(X79Host, EachRegisterSetReadsOnlyItsOwnSlots) {
  testsupport::EmulatedSdk env;
  X79Chip chip;
  chip.config.dwords[0x188] = 0x12345678;
  Intel_X79_SMBusRegisterSpace low(&chip.config, kBus, kDev, kFn, 0x180, 0x80863CA8);
  Intel_X79_SMBusRegisterSpace high(&chip.config, kBus, kDev, kFn, 0x190, 0x80863CA8);
  EXPECT_EQ(low.pollLimit, 2000);
  std::vector<uint32_t> controlWrites;
  auto engine = chip.config.onWrite;
  chip.config.onWrite = [&](uint32_t reg, uint32_t value, uint32_t before) {
    if (reg == 0x188) controlWrites.push_back(value);
    engine(reg, value, before);
  };
  uint8_t v = 0;
  EXPECT_EQ(low.ReadByte(0x50, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0B);
  // Control during the read: its low byte with the enable bits; afterwards
  // the firmware's word again (its thermal-sensor polling back on).
  EXPECT_EQ(controlWrites, (std::vector<uint32_t>{0xA8000078u, 0x12345678u}));
  EXPECT_EQ(chip.config.dwords[0x188], 0x12345678u);
  EXPECT_EQ(chip.config.dwords[0x184], 0x80020000u);
  EXPECT_EQ(low.ReadByte(0x51, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0C);
  EXPECT_EQ(chip.config.dwords[0x184], 0x82020000u) << "index (slave - 0x50) * 2";
  EXPECT_EQ(low.ReadByte(0x53, 0x02, &v), 1);
  EXPECT_EQ(v, 0x0E);

  EXPECT_EQ(high.ReadByte(0x54, 0x02, &v), 1);
  EXPECT_EQ(v, 0x1B);
  EXPECT_EQ(chip.config.dwords[0x194], 0x80020000u);
  EXPECT_EQ(high.ReadByte(0x55, 0x02, &v), 1);
  EXPECT_EQ(v, 0x1C);

  // Outside 0x50-0x57, and the other register set's slots: no access at
  // all (a set asked for the other set's slot would answer with one of
  // its own modules under a second address).
  const int before = chip.config.accesses;
  for (auto [space, slave] : {std::pair{&low, 0x4F}, {&low, 0x58}, {&low, 0x54}, {&low, 0x55}, {&high, 0x50},
                              {&high, 0x51}, {&high, 0x58}, {&high, 0xD0}}) {
    v = 0xEE;
    EXPECT_EQ(space->ReadByte(static_cast<uint8_t>(slave), 0x02, &v), 0) << std::hex << slave;
    EXPECT_EQ(v, 0);
  }
  EXPECT_EQ(chip.config.accesses, before);
  EXPECT_EQ(low.WriteByte(0x50, 0x02, 0x11), 0) << "SPD reads only";
}

TEST(X79Host, EmptySlotAndStuckEngineFail) {
  testsupport::EmulatedSdk env;
  X79Chip chip;
  Intel_X79_SMBusRegisterSpace low(&chip.config, kBus, kDev, kFn, 0x180, 0x80863CA8);
  uint8_t v = 0xEE;
  EXPECT_EQ(low.ReadByte(0x52, 0x02, &v), 0) << "error bit 29";
  EXPECT_EQ(v, 0);
  EXPECT_EQ(chip.config.dwords[0x188] & 0x08000000u, 0u) << "bit 27 of control, set with 0xA8000000, was toggled";

  chip.busyAfterStart = kForever;
  chip.statusReads = 0;
  Clock clock(*env.machine);
  v = 0xEE;
  EXPECT_EQ(low.ReadByte(0x50, 0x02, &v), 0);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(chip.statusReads, Intel_X79_SMBusRegisterSpace::kPolls);
  EXPECT_EQ(clock.Ms(), 0u) << "polled without waits";
}

}  // namespace
