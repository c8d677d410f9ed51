// The clock generator chips on a register image: field decoding, the
// byte-count retry, the divider search, what Apply() writes, and the
// stepped change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "emu/EmulatedMachine.h"
#include "platform/Machine.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"
#include "sdk/clock/CPLLOutput.h"
#include "sdk/clock/GeneratorFamily.h"
#include "sdk/clock/ICS_9PLRS133.h"
#include "sdk/clock/ICS_9PLRS139.h"
#include "sdk/clock/SLG505YC264B.h"

namespace {

// A generator's register image behind SMBus block transfers. A block read
// announces image[countRegister] bytes, or `powerOnCount` while that
// register is 0. Every block write is recorded.
class BlockImage : public CRegisterSpace {
 public:
  explicit BlockImage(int countRegister, int powerOnCount)
      : CRegisterSpace(REGSPACE_SMBUS, nullptr), countRegister_(countRegister), powerOnCount_(powerOnCount) {}
  int Execute(CIORequest* r) override {
    if (r->op == (IOOP_READ | IOOP_BLOCK)) {
      ++reads;
      if (failReads) {
        r->data = 0xFFFFFFFF;
        return 1;
      }
      int count = image[countRegister_] ? image[countRegister_] : powerOnCount_;
      std::memcpy(r->buffer, image + r->reg, 32);
      r->data = static_cast<uint32_t>(count);
      return 1;
    }
    if (r->op == (IOOP_WRITE | IOOP_BLOCK)) {
      const int n = static_cast<int>(r->data);
      writes.push_back({static_cast<int>(r->reg), std::vector<uint8_t>(r->buffer, r->buffer + n)});
      std::memcpy(image + r->reg, r->buffer, n);
      return 1;
    }
    return 0;
  }
  struct Write {
    int start;
    std::vector<uint8_t> bytes;
  };
  uint8_t image[64] = {};
  std::vector<Write> writes;
  int reads = 0;
  bool failReads = false;

 private:
  int countRegister_, powerOnCount_;
};

// Sleeps of the PLL code pass in virtual time.
class ClockChipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = std::make_shared<emu::EmulatedMachine>(emu::TimeBase::Mode::Virtual);
    plat::SetCurrentMachine(machine_);
  }
  void TearDown() override { plat::SetCurrentMachine(nullptr); }
  template <typename T>
  std::unique_ptr<T> Attach(BlockImage& space) {
    auto p = std::make_unique<T>();
    p->SetAccess(&space, new CSMBusRequest(0, 0x69));
    return p;
  }
  std::shared_ptr<emu::EmulatedMachine> machine_;
};

// 9PLRS139 CPU at N, M (enable bit set, byte count 30).
void SetCpu139(BlockImage& s, int n, int m, bool enabled = true) {
  s.image[8] = 30;
  s.image[11] = static_cast<uint8_t>(((n & 6) << 5) | m);
  s.image[12] = static_cast<uint8_t>(n >> 3);
  for (int c : {23, 24, 25}) s.image[c] = static_cast<uint8_t>(n >> 3);
  if (enabled) s.image[1] |= 0x10;
}

TEST_F(ClockChipTest, Ics139CpuRetriesWithByteCountAndUsesCopyWhenNByteIsZero) {
  BlockImage s(8, 26);
  SetCpu139(s, 100, 24, false);
  s.image[8] = 0;     // power-on: the chip announces 26 bytes
  s.image[12] = 0;    // N byte not loaded: N comes from the copy in byte 23
  auto pll = Attach<ICS_9PLRS139_CPU_PLL>(s);
  const uint64_t before = machine_->Time().NowNs();
  ASSERT_EQ(pll->Read(), 1);
  EXPECT_EQ(s.reads, 2);
  ASSERT_EQ(s.writes.size(), 1u);
  EXPECT_EQ(s.writes[0].start, 0);
  EXPECT_EQ(s.writes[0].bytes.size(), 9u);
  EXPECT_EQ(s.writes[0].bytes[8], 30) << "byte-count register";
  EXPECT_GE(machine_->Time().NowNs() - before, 50000000u) << "50 ms before the second read";
  EXPECT_EQ(pll->n, 100);
  EXPECT_EQ(pll->m, 24);
  EXPECT_NEAR(pll->GetFrequency(), 133.333, 0.001);
}

TEST_F(ClockChipTest, Ics139ReadFailures) {
  struct Case {
    const char* what;
    int count;
    int m;
    bool failRead;
  } cases[] = {{"block read fails", 30, 24, true}, {"8 bytes only", 8, 24, false}, {"divider reads 0", 30, 0, false}};
  for (const Case& c : cases) {
    BlockImage s(8, 26);
    SetCpu139(s, 100, c.m);
    s.image[8] = static_cast<uint8_t>(c.count);
    s.failReads = c.failRead;
    auto pll = Attach<ICS_9PLRS139_CPU_PLL>(s);
    EXPECT_EQ(pll->Read(), 0) << c.what;
    EXPECT_FALSE(std::isinf(pll->GetFrequency()) || std::isnan(pll->GetFrequency())) << c.what;
    EXPECT_LE(pll->GetFrequency(), 0) << c.what;
    EXPECT_EQ(pll->OutputCount(), 0) << c.what;
    EXPECT_EQ(pll->RampTo(150, 10), 0) << c.what << ": no ramp without a valid frequency";
    EXPECT_TRUE(s.writes.empty()) << c.what;
  }
}

TEST_F(ClockChipTest, Ics139DividerSearchEncodesTheClosestFrequency) {
  // With M fixed at 16 a 166 MHz target could only give N = 83, which the
  // registers cannot hold (bit 0): the search finds an even N elsewhere.
  BlockImage s(8, 26);
  SetCpu139(s, 100, 24);
  auto pll = Attach<ICS_9PLRS139_CPU_PLL>(s);
  ASSERT_EQ(pll->Read(), 1);
  struct Case {
    float target;
  } cases[] = {{166.0f}, {160.0f}, {143.33f}, {200.5f}, {101.0f}};
  for (const Case& c : cases) {
    ASSERT_EQ(pll->SetFrequency(c.target), 1) << c.target;
    EXPECT_EQ(pll->PendingN() % 2, 0) << c.target;
    ASSERT_EQ(pll->Apply(), 1);
    ASSERT_EQ(pll->Read(), 1);
    EXPECT_NEAR(pll->GetFrequency(), c.target, 0.1) << c.target << " reads back";
  }
  EXPECT_EQ(pll->SetFrequency(-5), 0);
  EXPECT_EQ(pll->SetFrequency(70000), 0) << "beyond N = 2000 with M = 1";
}

TEST_F(ClockChipTest, Ics139ApplyWritesOnlyWhatChanged) {
  BlockImage s(8, 26);
  SetCpu139(s, 50, 12, false);  // 133.33 MHz, software control not yet enabled
  s.image[15] = 0x50;             // PCIE: N 50, M 16 = 100 MHz
  s.image[16] = 6;
  auto cpu = Attach<ICS_9PLRS139_CPU_PLL>(s);
  ASSERT_EQ(cpu->Read(), 1);
  ASSERT_EQ(cpu->SetFrequency(140), 1);
  ASSERT_EQ(cpu->Apply(), 1);
  ASSERT_EQ(s.writes.size(), 1u);
  EXPECT_EQ(s.writes[0].start, 0) << "first apply enables the synthesiser: the whole image";
  EXPECT_EQ(s.writes[0].bytes.size(), 29u);
  EXPECT_TRUE(s.image[1] & 0x10);
  EXPECT_EQ(s.image[16], 6) << "the PCIE fields keep their values";
  ASSERT_EQ(cpu->Read(), 1);
  ASSERT_EQ(cpu->SetFrequency(150), 1);
  ASSERT_EQ(cpu->Apply(), 1);
  ASSERT_EQ(s.writes.size(), 2u);
  EXPECT_EQ(s.writes[1].start, 11);
  EXPECT_EQ(s.writes[1].bytes.size(), 18u);
  EXPECT_EQ(s.image[23], s.image[12]) << "copy bytes follow the N byte";

  // Re-applying what the chip already runs at writes nothing.
  auto pcie = Attach<ICS_9PLRS139_PCIE_PLL>(s);
  ASSERT_EQ(pcie->Read(), 1);
  EXPECT_FLOAT_EQ(pcie->GetFrequency(), 100.0f);
  const size_t writes = s.writes.size();
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(pcie->SetFrequency(100), 1);
    ASSERT_EQ(pcie->Apply(), 1);
  }
  EXPECT_EQ(s.writes.size(), writes);
  ASSERT_EQ(pcie->Read(), 1);
  EXPECT_FLOAT_EQ(pcie->GetFrequency(), 100.0f) << "not 96 MHz";
  ASSERT_NE(pcie->GetOutput(0), nullptr);
  EXPECT_EQ(pcie->GetOutput(0)->key, PLL_OUTPUT_PCIE);
}

TEST_F(ClockChipTest, Ics133KeepsTheDividerItRunsWith) {
  BlockImage s(8, 26);
  s.image[8] = 31;
  s.image[4] = 0x08;
  s.image[11] = 36;  // N 200, M 36: 133.33 MHz
  s.image[12] = 25;
  auto pll = Attach<ICS_9PLRS133_CPU_PLL>(s);
  ASSERT_EQ(pll->Read(), 1);
  EXPECT_NEAR(pll->GetFrequency(), 133.333, 0.001);
  ASSERT_EQ(pll->SetFrequency(144), 1);
  EXPECT_EQ(pll->PendingM(), 36);
  EXPECT_EQ(pll->PendingN(), 216);
}

TEST_F(ClockChipTest, RampStepsAndStops) {
  // A PLL that records what it is asked to apply; SetFrequency fails at `refuseAt`.
  class Recorder : public CPLL {
   public:
    Recorder() : CPLL(1) {}
    int SetFrequency(float f) override {
      pending = f;
      return std::fabs(f - refuseAt) > 0.01f;
    }
    int Apply() override {
      applied.push_back(pending);
      return 1;
    }
    float pending = 0, refuseAt = -1;
    std::vector<float> applied;
  };
  struct Case {
    float from, to, refuseAt;
    std::vector<float> applied;
    int result;
  } cases[] = {
      {133, 160, -1, {143, 153, 160}, 1}, {133, 138, -1, {138}, 1}, {160, 133, -1, {150, 140, 133}, 1},
      {133, 143, -1, {143, 143}, 1},      {133, 160, 153, {143}, 0}, {-1, 160, -1, {}, 0},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.frequency = c.from;
    r.refuseAt = c.refuseAt;
    std::vector<float> seen;
    EXPECT_EQ(r.RampTo(c.to, 10, [&](float f) { seen.push_back(f); }), c.result) << c.from << " -> " << c.to;
    EXPECT_EQ(r.applied, c.applied) << c.from << " -> " << c.to;
    EXPECT_EQ(seen, c.applied);
  }
}

// Silego image: strap code, g bit, and N (byte 17 bit 7 set) or none.
void SetSilego(BlockImage& s, int strap, int g, int n) {
  s.image[0] = static_cast<uint8_t>(strap << 5);
  s.image[1] = g ? 0x40 : 0;
  s.image[12] = 29;
  if (n >= 0) {
    s.image[15] = static_cast<uint8_t>((n << 6) | 14);
    s.image[16] = static_cast<uint8_t>(n >> 2);
    s.image[17] = 0x80;
  }
}

TEST_F(ClockChipTest, SilegoStrapModels) {
  struct Case {
    int strap, g, n;
    float mhz;
  } cases[] = {
      {1, 1, 500, 133.34f + 58 * 0.2983f}, {1, 1, -1, 133.34f}, {5, 0, -1, 100.0f}, {3, 1, 424, 166.67f + 10 * 0.5966f},
      {0, 0, 423, 266.67f + 10 * 0.6364f},
  };
  for (const Case& c : cases) {
    BlockImage s(12, 16);
    SetSilego(s, c.strap, c.g, c.n);
    auto pll = Attach<SLG505YC264B_CPU_PLL>(s);
    ASSERT_EQ(pll->Read(), 1);
    EXPECT_NEAR(pll->GetFrequency(), c.mhz, 0.005) << "strap " << c.strap;
    EXPECT_EQ(pll->OutputCount(), 1);
  }
  BlockImage s(12, 16);
  SetSilego(s, 1, 1, 500);
  auto pll = Attach<SLG505YC264B_CPU_PLL>(s);
  ASSERT_EQ(pll->Read(), 1);
  EXPECT_NEAR(pll->GetFrequency(), 150.64, 0.005);
  ASSERT_EQ(pll->SetFrequency(150), 1);
  EXPECT_EQ(pll->PendingN(), 498);
  ASSERT_EQ(pll->Apply(), 1);
  ASSERT_EQ(s.writes.size(), 1u);
  EXPECT_EQ(s.writes[0].start, 15);
  EXPECT_EQ(s.writes[0].bytes, (std::vector<uint8_t>{static_cast<uint8_t>((498 << 6) | 14), 498 >> 2, 0x80, 0}));
  EXPECT_EQ(pll->SetFrequency(133.0f), 0) << "below the base frequency";
  EXPECT_EQ(pll->SetFrequency(1000.0f), 0) << "beyond the 10-bit N";
}

TEST_F(ClockChipTest, SilegoByteCountRetryAndStrapSeven) {
  BlockImage s(12, 16);
  SetSilego(s, 7, 1, -1);
  s.image[12] = 0;  // announces 16 bytes until byte 12 is set
  auto pll = Attach<SLG505YC264B_CPU_PLL>(s);
  ASSERT_EQ(pll->Read(), 1);
  EXPECT_EQ(s.reads, 2);
  ASSERT_EQ(s.writes.size(), 1u);
  EXPECT_EQ(s.writes[0].bytes.size(), 13u);
  EXPECT_EQ(s.writes[0].bytes[12], 29);
  EXPECT_LT(pll->GetFrequency(), 0) << "strap 7 has no model";
  EXPECT_EQ(pll->OutputCount(), 0);
  EXPECT_EQ(pll->RampTo(120, 10), 0);
  EXPECT_EQ(s.writes.size(), 1u);
}

TEST_F(ClockChipTest, FamilyGeneratorsReadTheirOptionBitButRefuseChanges) {
  const GeneratorFamilyEntry* e = FindGeneratorFamily("IDT_CV115_PCIE_PLL");
  ASSERT_NE(e, nullptr);
  BlockImage s(8, 20);
  s.image[6] = 0x2A;  // PCIE field bits 5:3 = 5
  CGeneratorFamilyPLL pll(*e);
  pll.SetAccess(&s, new CSMBusRequest(0, 0x69));
  EXPECT_STREQ(pll.name, "IDT CV115 PCIE PLL");
  EXPECT_EQ(pll.GetKind(), static_cast<uint32_t>(PLL_KIND_PCIE));
  ASSERT_EQ(pll.Read(), 1);
  int on = -1;
  ASSERT_EQ(pll.GetOption(&on), 1);
  EXPECT_EQ(on, 5);
  EXPECT_EQ(pll.SetOption(8), 0) << "does not fit the field";
  ASSERT_EQ(pll.SetOption(2), 1);
  EXPECT_EQ(s.image[6], 0x12);
  EXPECT_EQ(pll.SetFrequency(100), 0);
  EXPECT_EQ(pll.Apply(), 0);
  for (const GeneratorFamilyEntry* f = GeneratorFamily(); f->className; ++f) EXPECT_NE(f->kind, 0u) << f->className;
}

}  // namespace
