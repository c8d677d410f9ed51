// Raw windows and register spaces on a bare emulated machine: what each one
// sends to the hardware, and what it refuses.
#include <gtest/gtest.h>

#include <memory>

#include "sdk/access/ATI_RS600_MC_RegisterSpace.h"
#include "sdk/access/Banked_PMIO_RegisterSpace.h"
#include "sdk/access/CIORequest.h"
#include "sdk/access/CIndirectRegisterSpace.h"
#include "sdk/access/CMemoryIOSpace.h"
#include "sdk/access/CPCIExpressRegisterSpace.h"
#include "sdk/access/CPCIRegisterSpace.h"
#include "sdk/access/CPCIRegisterSpace_2.h"
#include "sdk/access/CPortIOSpace.h"
#include "sdk/access/VIA_686AB_HWM_RegisterSpace.h"
#include "sdk/access/WIN32_HID_RegisterSpace.h"
#include "emu/chips/MmconfigWindow.h"
#include "tests/sdk/access/Recorders.h"
#include "tests/support/EmulatedSdk.h"

namespace {

using testsupport::Access;
using testsupport::RecordingPciFunction;
using testsupport::RecordingRegisters;

constexpr uint32_t kMmio = 0xFED00000;
constexpr uint32_t kEcam = 0xE0000000;

class RegisterSpaces : public ::testing::Test {
 protected:
  void SetUp() override {
    env.machine->AddRam(0, 0x100000);
    env.machine->AddMmio(kMmio, 0x100, regs);
    env.machine->AddPortDevice(0x290, 0x100, regs);
    env.machine->AddMmio(kEcam, 1u << 20, std::make_shared<emu::MmconfigWindow>(*env.machine));
    auto f = std::make_unique<RecordingPciFunction>(0, 3, 0, 0x1002, 0x7910, 0x06000000);
    f->express = true;
    for (uint32_t i = 0; i < 0x200; i += 4) f->Set32(i + 0x100, 0x03020100u + 0x04040404u * (i / 4));
    for (uint32_t i = 0x40; i < 0x80; ++i) f->Set8(i, static_cast<uint8_t>(i));
    pci = f.get();
    env.machine->AddPciFunction(std::move(f));
    ASSERT_TRUE(env.Start());
  }

  testsupport::EmulatedSdk env;
  std::shared_ptr<RecordingRegisters> regs = std::make_shared<RecordingRegisters>(0x100);
  RecordingPciFunction* pci = nullptr;
};

// Memory-mapped registers as they are: byte 1 of each dword is a
// write-1-to-clear status, bytes 2 and 3 an index/data pair into a bank.
class MmioNeighbours : public emu::MmioDevice {
 public:
  bool MmioRead(uint64_t offset, int width, uint32_t* value) override {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) v |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    *value = v;
    log.push_back({static_cast<uint32_t>(offset), width, v, false});
    return true;
  }
  bool MmioWrite(uint64_t offset, int width, uint32_t value) override {
    log.push_back({static_cast<uint32_t>(offset), width, value, true});
    for (int i = 0; i < width; ++i) {
      const uint64_t at = offset + i;
      const uint8_t b = static_cast<uint8_t>(value >> (8 * i));
      if (at % 4 == 1) bytes[at] &= static_cast<uint8_t>(~b);
      else if (at % 4 == 3) bank[bytes[at - 1]] = b;
      else bytes[at] = b;
    }
    return true;
  }
  uint8_t bytes[0x20] = {};
  uint8_t bank[256] = {};
  std::vector<Access> log;
};

TEST_F(RegisterSpaces, MemoryWindowByteWriteTouchesOnlyThatByte) {
  auto dev = std::make_shared<MmioNeighbours>();
  constexpr uint32_t kBase = kMmio + 0x1000;
  env.machine->AddMmio(kBase, 0x20, dev);
  // The target at 4, a pending status at 5, index 0x33 selected at 6 with
  // its bank entry 0x77 behind the data register at 7.
  dev->bytes[4] = 0x00, dev->bytes[5] = 0x81, dev->bytes[6] = 0x33, dev->bytes[7] = 0x10;
  dev->bank[0x33] = 0x77;
  CMemoryIOSpace window(0, kBase, 0x20);
  ASSERT_EQ(window.Write8(4, 0x5A), 1);
  EXPECT_EQ(dev->bytes[4], 0x5A);
  EXPECT_EQ(dev->bytes[5], 0x81) << "a pending write-1-to-clear status stays pending";
  EXPECT_EQ(dev->bytes[6], 0x33);
  EXPECT_EQ(dev->bank[0x33], 0x77) << "no stale data through the data register";
  EXPECT_EQ(dev->log, (std::vector<Access>{{4, 1, 0x5A, true}})) << "one byte-wide write, nothing read";
  // The same through an unaligned window base.
  CMemoryIOSpace shifted(0, kBase + 2, 0x10);
  ASSERT_EQ(shifted.Write8(6, 0xA5), 1);
  EXPECT_EQ(dev->bytes[8], 0xA5);
  EXPECT_EQ(dev->bytes[5], 0x81);
}

TEST_F(RegisterSpaces, MemoryWindowReadsAndRefusesWords) {
  regs->bytes[0x10] = 0x11, regs->bytes[0x11] = 0x22, regs->bytes[0x12] = 0x33, regs->bytes[0x13] = 0x44;
  CMemoryIOSpace window(0, kMmio, 0x100);
  uint32_t d = 0;
  uint8_t b = 0;
  EXPECT_EQ(window.Read32(0x10, &d), 1);
  EXPECT_EQ(d, 0x44332211u);
  EXPECT_EQ(window.Read8(0x11, &b), 1);
  EXPECT_EQ(b, 0x22);
  uint16_t w = 0xBEEF;
  size_t before = regs->log.size();
  EXPECT_EQ(window.Read16(0x10, &w), 0);
  EXPECT_EQ(w, 0xBEEF) << "an unsupported read leaves its output alone";
  EXPECT_EQ(window.Write16(0x10, 1), 0);
  EXPECT_EQ(regs->log.size(), before) << "unsupported widths never reach the hardware";
}

TEST_F(RegisterSpaces, PortWindowAddsItsBase) {
  CPortIOSpace window(0x290, 8);
  ASSERT_EQ(window.Write8(5, 0x4E), 1);
  ASSERT_EQ(window.Write16(2, 0x1234), 1);
  uint32_t d = 0;
  ASSERT_EQ(window.Read32(0, &d), 1);
  EXPECT_EQ(d, 0x12340000u);
  EXPECT_EQ(regs->bytes[5], 0x4E);
  EXPECT_EQ((std::vector<Access>{{5, 1, 0x4E, true}, {2, 2, 0x1234, true}, {0, 4, 0x12340000, false}}), regs->log);
}

TEST_F(RegisterSpaces, ConfigurationPathsTreatUnalignedRegistersDifferently) {
  CPCIRegisterSpace driverPath;
  CPCIRegisterSpace_2 portPath;
  uint32_t v = 0;
  ASSERT_EQ(driverPath.ReadConfig32(0, 3, 0, 0x41, &v), 1);
  EXPECT_EQ(v, 0x44434241u) << "the driver path returns the four bytes from the register";
  ASSERT_EQ(portPath.ReadConfig32(0, 3, 0, 0x41, &v), 1);
  EXPECT_EQ(v, 0x00434241u) << "the port path shifts the aligned dword";
  EXPECT_EQ(portPath.WriteConfig32(0, 3, 0, 0x42, 1), 0);
  EXPECT_TRUE(pci->writes.empty());
  EXPECT_EQ(portPath.WriteConfig32(0, 3, 0, 0x40, 0xCAFEF00D), 1);
  EXPECT_EQ(pci->Get32(0x40), 0xCAFEF00Du);

  // Beyond 0xFF the ports reach nothing: never register 0 or 0x40 instead.
  v = 0x12345678;
  EXPECT_EQ(portPath.ReadConfig32(0, 3, 0, 0x100, &v), 0);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_EQ(portPath.ReadConfig32(0, 3, 0, 0x141, &v), 0);
  pci->writes.clear();
  EXPECT_EQ(portPath.WriteConfig32(0, 3, 0, 0x140, 1), 0);
  EXPECT_TRUE(pci->writes.empty());
  EXPECT_EQ(pci->Get32(0x40), 0xCAFEF00Du);
}

TEST_F(RegisterSpaces, PortPathBlockReadReportsWhetherEveryByteArrived) {
  CPCIRegisterSpace_2 portPath;
  CPCIRequest r(0, 3, 0);
  uint8_t buffer[8] = {};
  r.op = IOOP_BLOCK | IOOP_READ;
  r.reg = 0x44;
  r.data = 8;
  r.buffer = buffer;
  EXPECT_EQ(portPath.Execute(&r), 1);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(buffer[i], 0x44 + i);
  // A port access that fails part-way: the read reports failure.
  env.machine->Faults().Add({emu::AccessKind::Port, 0xCFC, true, false, emu::FaultRule::Action::Fail, 0, 1});
  EXPECT_EQ(portPath.Execute(&r), 0);
  r.op = IOOP_BLOCK | IOOP_WRITE;
  EXPECT_EQ(portPath.Execute(&r), 0) << "no block writes through the ports";
}

TEST_F(RegisterSpaces, RequestsOfUnsupportedKindsChangeNothing) {
  CPCIRegisterSpace driverPath;
  CMemoryIOSpace ecamWindow(0, kEcam, 0x1000);
  CPCIExpressRegisterSpace express(&ecamWindow);
  for (CRegisterSpace* space : {static_cast<CRegisterSpace*>(&driverPath), static_cast<CRegisterSpace*>(&express)}) {
    for (uint32_t op : {0x11u, 0x21u, 0x12u, 0x44u}) {
      CPCIRequest r(0, 3, 0);
      r.op = op;
      r.reg = 0x40;
      r.data = 0x77;
      EXPECT_EQ(space->Execute(&r), 0) << "op " << op;
      EXPECT_EQ(r.data, 0x77u);
    }
  }
  CPCIRequest dword(0, 3, 0);
  dword.op = IOOP_DWORD | IOOP_READ;
  dword.reg = 0;
  EXPECT_EQ(express.Execute(&dword), 0) << "the express space executes only block reads";
  EXPECT_TRUE(pci->writes.empty());
}

TEST_F(RegisterSpaces, ExpressSpaceAddressesThePageAndShiftsUnalignedReads) {
  CMemoryIOSpace ecamWindow(0, kEcam, 0x1000);
  CPCIExpressRegisterSpace express(&ecamWindow);
  uint32_t at100 = 0, v = 0;
  ASSERT_EQ(express.ReadConfig32(0, 3, 0, 0x100, &at100), 1);
  EXPECT_EQ(at100, 0x03020100u);
  ASSERT_EQ(express.ReadConfig32(0, 3, 0, 0x102, &v), 1);
  EXPECT_EQ(v, at100 >> 16);
  EXPECT_EQ(express.WriteConfig32(0, 3, 0, 0x102, 0), 0);
  EXPECT_TRUE(pci->writes.empty());
  EXPECT_EQ(express.WriteConfig32(0, 3, 0, 0x180, 0x600DF00D), 1);
  EXPECT_EQ(pci->Get32(0x180), 0x600DF00Du);

  uint8_t page[16] = {};
  CPCIRequest block(0, 3, 0);
  block.op = IOOP_BLOCK | IOOP_READ;
  block.data = sizeof(page);
  block.buffer = page;
  ASSERT_EQ(express.Execute(&block), 1);
  EXPECT_EQ(page[0], 0x02);  // vendor 0x1002, from the page's offset 0
  EXPECT_EQ(page[2], 0x10);
}

TEST_F(RegisterSpaces, IndexDataPairsWriteTheIndexBeforeTheData) {
  CPCIRegisterSpace driverPath;
  CPCIRequest where(0, 3, 0);
  ATI_RS600_MC_RegisterSpace mc(&driverPath, where);
  ASSERT_EQ(mc.Write(0x2A, 0x12345678), 1);
  EXPECT_EQ((std::vector<Access>{{0xE8, 4, 0x12A, true}, {0xEC, 4, 0x12345678, true}}), pci->writes);

  pci->writes.clear();
  CIndirectRegisterSpace indirect(&driverPath, where, 0xD0, 0xD4);
  pci->Set32(0xD4, 0xABCD0123);
  uint32_t v = 0;
  ASSERT_EQ(indirect.Read(0x55, &v), 1);
  EXPECT_EQ(v, 0xABCD0123u);
  EXPECT_EQ((std::vector<Access>{{0xD0, 4, 0x55, true}}), pci->writes);
  EXPECT_EQ(indirect.kind, REGSPACE_INDIRECT);
  EXPECT_EQ(mc.kind, REGSPACE_ATI_RS600_MC);
}

TEST_F(RegisterSpaces, BankedRegistersSelectTheBankInTheLowNibbleOnly) {
  CPortIOSpace window(0x290, 0x100);
  Banked_PMIO_RegisterSpace banked(&window, 0x10);
  regs->bytes[0x10] = 0xA5;
  regs->bytes[0x20] = 0x77;
  regs->log.clear();
  uint8_t v = 0;
  ASSERT_EQ(banked.Read(Banked_PMIO_RegisterSpace::kCurrentBank, 0x20, &v), 1);
  EXPECT_EQ(v, 0x77);
  EXPECT_EQ((std::vector<Access>{{0x20, 1, 0x77, false}}), regs->log) << "bank 0xFF leaves the bank register alone";

  ASSERT_EQ(banked.Write(3, 0x21, 0x99), 1);
  EXPECT_EQ(regs->bytes[0x10], 0xA3);
  EXPECT_EQ(regs->bytes[0x21], 0x99);
}

TEST_F(RegisterSpaces, ViaMonitorStartsAConversionBeforeEachRead) {
  CPortIOSpace window(0x290, 0x100);
  VIA_686AB_HWM_RegisterSpace hwm(&window);
  regs->bytes[0x22] = 0x5C;
  regs->log.clear();
  uint8_t v = 0;
  EXPECT_EQ(hwm.Read(0x22, &v), 1);
  EXPECT_EQ(v, 0x5C);
  EXPECT_EQ((std::vector<Access>{{0x40, 1, 0, false}, {0x40, 1, 1, true}, {0x22, 1, 0x5C, false}}), regs->log);

  // A configuration register that does not answer is not written, and the
  // read is no success.
  env.machine->Faults().Add({emu::AccessKind::Port, 0x290 + 0x40, true, false, emu::FaultRule::Action::Fail, 0, 1, ""});
  regs->log.clear();
  EXPECT_EQ(hwm.Read(0x22, &v), 0);
  EXPECT_TRUE(regs->log.empty());
  env.machine->Faults().Add({emu::AccessKind::Port, 0x290 + 0x22, true, false, emu::FaultRule::Action::Fail, 0, 1, ""});
  EXPECT_EQ(hwm.Read(0x22, &v), 0) << "the register itself failed";
}

TEST(HidRegisterSpace, IsNotAvailableOnThisPlatform) {
  WIN32_HID_RegisterSpace hid("/dev/hidraw0", 65, 65);
  uint8_t report[65] = {};
  EXPECT_EQ(hid.Open(), 0);
  EXPECT_EQ(hid.Write(report), 0);
  EXPECT_EQ(hid.Read(report), 0);
  EXPECT_EQ(hid.GetBaseLow(), 0xFFFFFFFFu);
  uint8_t b = 0x12;
  EXPECT_EQ(hid.ReadByte(0, &b), 0) << "no window: the byte helpers fail";
  EXPECT_EQ(b, 0x12);
}

}  // namespace
