// The PCI bus scan on small hand-built machines: which functions become
// records, lookups, configuration reads and writes, capability walks, the
// MMCONFIG discovery table and rescans.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "emu/chips/MmconfigWindow.h"
#include "sdk/access/CPCICapability.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/access/CRegisterSpace.h"
#include "tests/support/EmulatedSdk.h"

namespace {

using emu::PciFunction;

class PciBus : public ::testing::Test {
 protected:
  PciFunction& Add(uint8_t bus, uint8_t dev, uint8_t fn, uint16_t vendor, uint16_t device, uint32_t classRev,
                   uint8_t headerType = 0) {
    return env.machine->AddPciFunction(std::make_unique<PciFunction>(bus, dev, fn, vendor, device, classRev, headerType));
  }
  CPCIInterface* Start() {
    EXPECT_TRUE(env.Start());
    EXPECT_TRUE(env.Sdk().CreatePCIInterface());
    auto* pci = static_cast<CPCIInterface*>(env.Sdk().FindInterface(INTERFACE_PCI));
    pci->ScanBus();
    return pci;
  }

  testsupport::EmulatedSdk env;
};

TEST_F(PciBus, MultiFunctionDeviceIsScannedPastAnAbsentFunction) {
  Add(0, 0, 0, 0x8086, 0x2E20, 0x06000002);
  Add(0, 0x1D, 0, 0x8086, 0x3A34, 0x0C032000, 0x80);  // multi-function
  for (uint8_t fn : {1, 2, 4, 7}) Add(0, 0x1D, fn, 0x8086, static_cast<uint16_t>(0x3A34 + fn), 0x0C030000);
  Add(0, 0x1E, 0, 0x8086, 0x244E, 0x06040190, 0x01);  // single function...
  Add(0, 0x1E, 1, 0x8086, 0x1111, 0x0C030000);         // ...so this one is never looked at
  CPCIInterface* pci = Start();
  for (uint8_t fn : {0, 1, 2, 4, 7}) EXPECT_NE(pci->FindPCIDevice(0, 0x1D, fn), nullptr) << "function " << int(fn);
  EXPECT_EQ(pci->FindPCIDevice(0, 0x1D, 3), nullptr);
  EXPECT_NE(pci->FindPCIDevice(0, 0x1E, 0), nullptr);
  EXPECT_EQ(pci->FindPCIDevice(0, 0x1E, 1), nullptr);

  CPCIDevice* ehci = pci->FindPCIDevice(0, 0x1D, 0);
  EXPECT_STREQ(ehci->className, "USB 2.0 Controller (EHCI)");
  EXPECT_EQ(ehci->commonHeader->progIf, 0x20);
  EXPECT_EQ(ehci->space, pci->GetConfigSpace());
}

// Counts the reads of each header byte a function sees.
class CountingPciFunction : public PciFunction {
 public:
  using PciFunction::PciFunction;
  uint32_t ConfigRead(uint32_t offset, int width) override {
    for (int i = 0; i < width; ++i)
      if (offset + i < 64) ++headerReads[offset + i];
    return PciFunction::ConfigRead(offset, width);
  }
  int headerReads[64] = {};
};

// A function's record comes from one reading of its standard header,
// whichever way configuration space is reached: the common part is not
// read again for the typed part. Beyond that only the scan's own look at
// the ids and the header type touches it.
TEST_F(PciBus, TheHeaderIsReadOnceForTheRecord) {
  for (int mode : {1, 2}) {
    SCOPED_TRACE(mode);
    testsupport::EmulatedSdk fresh;
    auto& f = static_cast<CountingPciFunction&>(fresh.machine->AddPciFunction(
        std::make_unique<CountingPciFunction>(0, 0x1F, 0, 0x8086, 0x3A30, 0x0C050000)));
    f.SetSubsystem(0x1458, 0x5001);
    ASSERT_TRUE(fresh.Start());
    ASSERT_TRUE(fresh.Sdk().CreatePCIInterface());
    auto* pci = static_cast<CPCIInterface*>(fresh.Sdk().FindInterface(INTERFACE_PCI));
    pci->accessMode = mode;
    for (int& n : f.headerReads) n = 0;
    pci->ScanBus();
    CPCIDevice* smbus = pci->FindPCIDevice(0, 0x1F, 0);
    ASSERT_NE(smbus, nullptr);
    EXPECT_EQ(smbus->header->GetSubsystemId(), 0x5001);
    EXPECT_EQ(smbus->commonHeader->classCode, 0x0C);
    // Bytes 0-3 (the ids) and 12-15 (the header type) may also be read by
    // the scan; every other byte exactly once.
    for (int i = 0; i < 64; ++i) {
      const bool probed = i < 4 || (i >= 12 && i < 16);
      if (probed) {
        EXPECT_GE(f.headerReads[i], 1) << i;
        EXPECT_LE(f.headerReads[i], 3) << i;
      } else {
        EXPECT_EQ(f.headerReads[i], 1) << i;
      }
    }
  }
}

TEST_F(PciBus, LookupsByIdAndClass) {
  Add(0, 0, 0, 0x8086, 0x2E20, 0x06000002);
  Add(0, 1, 0, 0x8086, 0x2E21, 0x06040002, 0x01);
  Add(0, 2, 0, 0x8086, 0x2E22, 0x03000002);
  Add(1, 0, 0, 0x10DE, 0x0640, 0x030000A1);
  Add(2, 0, 0, 0x10DE, 0x0640, 0x03020000);
  Add(0, 0x1E, 0, 0x8086, 0x244E, 0x060401A0, 0x01);
  CPCIInterface* pci = Start();

  CTList<CPCIDevice> list;
  list.Append(nullptr);  // a stale entry the lookup must drop
  EXPECT_EQ(pci->FindPCIDevicesByClass(3, -1, &list), 3);
  EXPECT_EQ(list.count, 3);
  EXPECT_EQ(list.At(0)->device, 2) << "device-list order";
  EXPECT_EQ(pci->FindPCIDevicesByClass(6, 4, &list), 2);
  for (CPCIDevice* d : Items(&list)) EXPECT_EQ(d->commonHeader->subclass, 4);
  EXPECT_EQ(pci->FindPCIDevicesByClass(6, -1, nullptr), 3);
  EXPECT_EQ(pci->FindPCIDevicesByID(0x10DE, 0x0640, &list), 2);
  EXPECT_EQ(list.At(1)->bus, 2);
  EXPECT_EQ(pci->FindPCIDevicesByID(0x10DE, 0x9999, &list), 0);
  EXPECT_EQ(list.count, 0);
}

TEST_F(PciBus, ExtendedRegistersNeedTheExpressSpace) {
  // A chipset that matches no discovery row: no express space, and every
  // register above 0xFF fails without touching the hardware.
  auto& port = Add(0, 1, 0, 0x8086, 0x3408, 0x06040013, 0x01);
  port.express = true;
  port.AddCapability(0x10, 0x90, 0x3C);
  port.Set32(0x100, 0x00010001);
  CPCIInterface* pci = Start();
  EXPECT_EQ(pci->GetPCIExpressSpace(), nullptr);
  CPCIDevice* d = pci->FindPCIDevice(0, 1, 0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->extendedCapabilities->count, 0);
  uint32_t v = 0x1234;
  EXPECT_EQ(pci->ReadConfig(0, 1, 0, 0x100, &v), 0);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_EQ(pci->WriteConfig(0, 1, 0, 0x100, 0), 0);
  EXPECT_EQ(pci->ReadConfig(0, 1, 0, 0x00, &v), 1);
  EXPECT_EQ(v, 0x34088086u);
}

TEST_F(PciBus, HyperTransportLinkWidthsAreTheWidthsInUse) {
  // A slave/primary interface whose link runs 16 bits in and 8 bits out
  // while it could run 32 both ways (the maximum widths in the low byte).
  auto& ht = Add(0, 0x18, 0, 0x1022, 0x1200, 0x06000000);
  ht.AddCapability(0x08, 0x80, 0x1C);
  ht.Set16(0x82, 0x0000);
  ht.Set16(0x8A, 0x0133);
  CPCIInterface* pci = Start();
  CPCIDevice* d = pci->FindPCIDevice(0, 0x18, 0);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->capabilities->count, 1);
  auto* caps = static_cast<CPCICaps_HT*>(d->capabilities->At(0));
  EXPECT_EQ(caps->interfaceType, 0);
  EXPECT_EQ(caps->linkWidthIn, 16);
  EXPECT_EQ(caps->linkWidthOut, 8);
}

TEST_F(PciBus, ExpressSpaceFromTheHostBridgeReachesExtendedCapabilities) {
  auto& mch = Add(0, 0, 0, 0x8086, 0x2E20, 0x06000002);
  mch.Set32(0x60, 0xE0000001);
  auto& port = Add(0, 1, 0, 0x8086, 0x2E21, 0x06040002, 0x01);
  port.express = true;
  port.AddCapability(0x01, 0x40, 8);
  port.AddCapability(0x10, 0x60, 0x3C);
  port.Set16(0x62, 0x0042);
  port.Set32(0x6C, 0x02000000 | 16 << 4);
  port.Set16(0x72, 8 << 4);
  port.Set32(0x100, 0x14010001);
  port.Set32(0x140, 0x0001000B);
  port.Set32(0x144, 0x01C00ABC);
  env.machine->AddMmio(0xE0000000, 256u << 20, std::make_shared<emu::MmconfigWindow>(*env.machine));
  CPCIInterface* pci = Start();

  CRegisterSpace* express = pci->GetPCIExpressSpace();
  ASSERT_NE(express, nullptr);
  EXPECT_EQ(express->GetBaseLow(), 0xE0000000u);
  CPCIDevice* d = pci->FindPCIDevice(0, 1, 0);
  EXPECT_EQ(d->space, express);
  EXPECT_EQ(d->capabilityMask, (1u << 1) | (1u << 0x10));
  EXPECT_EQ(d->extendedCapabilityMask, (1u << 1) | (1u << 0xB));
  ASSERT_EQ(d->extendedCapabilities->count, 2);
  auto* vsec = static_cast<CPCICaps_VendorSpecific*>(d->extendedCapabilities->At(1));
  EXPECT_EQ(vsec->offset, 0x140);
  EXPECT_EQ(vsec->vendorSpecificId, 0x0ABC);
  EXPECT_EQ(vsec->length, 0x01C);
  auto* pcie = static_cast<CPCICaps_PCIE*>(d->capabilities->At(1));
  EXPECT_EQ(pcie->version, 2);
  EXPECT_EQ(pcie->portType, 4);
  EXPECT_EQ(pcie->maxLinkWidth, 16);
  EXPECT_EQ(pcie->linkWidth, 8);
  EXPECT_EQ(pcie->portNumber, 2);
  EXPECT_EQ(d->capabilities->At(0)->id, 1);

  uint32_t v = 0;
  EXPECT_EQ(pci->ReadConfig(0, 1, 0, 0x144, &v), 1);
  EXPECT_EQ(v, 0x01C00ABCu);
  EXPECT_EQ(pci->WriteConfig(0, 1, 0, 0x102, 0), 0) << "unaligned extended writes are refused";
  EXPECT_EQ(pci->WriteConfig(0, 1, 0, 0x180, 0xA5A5A5A5), 1);
  EXPECT_EQ(port.Get32(0x180), 0xA5A5A5A5u);
}

TEST_F(PciBus, LoopingCapabilityListsEndAtTheirBound) {
  auto& mch = Add(0, 0, 0, 0x8086, 0x2E20, 0x06000002);
  mch.Set32(0x60, 0xE0000001);
  auto& looped = Add(0, 2, 0, 0x8086, 0x2E22, 0x03000002);
  looped.express = true;
  looped.Set8(0x34, 0x50);
  looped.Set16(0x50, 0x6005);  // MSI -> 0x60
  looped.Set16(0x60, 0x5010);  // PCI Express -> back to 0x50
  looped.Set32(0x100, 0x10000002);  // virtual channel whose next is itself
  env.machine->AddMmio(0xE0000000, 256u << 20, std::make_shared<emu::MmconfigWindow>(*env.machine));
  CPCIInterface* pci = Start();
  CPCIDevice* d = pci->FindPCIDevice(0, 2, 0);
  EXPECT_EQ(d->capabilities->count, CPCIDevice::kMaxCapabilities);
  EXPECT_EQ(d->extendedCapabilities->count, CPCIDevice::kMaxExtendedCapabilities);
}

TEST_F(PciBus, RescanKeepsRecordsAddsNewFunctionsAndDropsVanishedOnes) {
  Add(0, 0, 0, 0x8086, 0x2E20, 0x06000002);
  auto& smbus = Add(0, 0x1F, 3, 0x8086, 0x3A30, 0x0C050000);
  Add(0, 0x1F, 0, 0x8086, 0x3A18, 0x06010000, 0x80);
  CPCIInterface* pci = Start();
  CPCIDevice* host = pci->FindPCIDevice(0, 0, 0);
  ASSERT_NE(host, nullptr);
  ASSERT_NE(pci->FindPCIDevice(0, 0x1F, 3), nullptr);

  env.machine->FindPciFunction(0, 0, 0)->Set8(0x08, 0x77);  // a new revision: not read again
  smbus.hidden = true;
  Add(0, 0x1B, 0, 0x8086, 0x3A3E, 0x04030000);
  pci->ScanBus();
  EXPECT_EQ(pci->FindPCIDevice(0, 0, 0), host);
  EXPECT_EQ(host->commonHeader->revision, 0x02);
  EXPECT_EQ(pci->FindPCIDevice(0, 0x1F, 3), nullptr);
  EXPECT_NE(pci->FindPCIDevice(0, 0x1B, 0), nullptr);

  smbus.hidden = false;  // made visible again
  pci->ScanBus();
  EXPECT_NE(pci->FindPCIDevice(0, 0x1F, 3), nullptr);
}

TEST_F(PciBus, BaseAddressRegistersBecomeSharedWindows) {
  Add(0, 0x1F, 0, 0x8086, 0x3A18, 0x06010000, 0x80);
  auto& smbus = Add(0, 0x1F, 3, 0x8086, 0x3A30, 0x0C050000);
  smbus.Set32(0x10, 0xFED1C004);  // 64-bit memory BAR
  smbus.Set32(0x20, 0x0501);      // I/O BAR
  auto& other = Add(0, 0x1F, 6, 0x8086, 0x3A32, 0x11800000);
  other.Set32(0x10, 0x0501);      // the same range again
  CPCIInterface* pci = Start();
  (void)pci;
  EXPECT_NE(env.Sdk().FindIOSpace(0, 0xFED1C000, IOSPACE_MEMORY), nullptr);
  CIOSpace* port = env.Sdk().FindIOSpace(0, 0x500, IOSPACE_PORT);
  ASSERT_NE(port, nullptr);
  int ports = 0;
  for (CIOSpace* s : Items(env.Sdk().ioSpaces)) ports += s->kind == IOSPACE_PORT && s->GetBaseLow() == 0x500;
  EXPECT_EQ(ports, 1);
}

struct EnhancedCase {
  const char* what;
  uint16_t vendor, device;
  uint8_t fn;
  uint32_t reg, value;
  uint32_t expectedBase;  // 0: no express space
};

class EnhancedConfigDiscovery : public PciBus, public ::testing::WithParamInterface<EnhancedCase> {};

TEST_P(EnhancedConfigDiscovery, DerivesTheBaseFromTheChipsetRegister) {
  const EnhancedCase& c = GetParam();
  auto& f = Add(0, 0, c.fn, c.vendor, c.device, 0x06000000);
  if (c.fn) Add(0, 0, 0, 0x8086, 0x0001, 0x06000000, 0x80);
  f.Set32(c.reg & ~3u, f.Get32(c.reg & ~3u) | c.value << (8 * (c.reg & 3)));
  if (c.vendor == 0x8086 && c.device == 0x3C00) Add(0, 5, 0, 0x8086, 0x3C28, 0x08800000).Set32(0x84, c.value);
  CPCIInterface* pci = Start();
  CRegisterSpace* express = pci->GetPCIExpressSpace();
  if (!c.expectedBase) {
    EXPECT_EQ(express, nullptr) << c.what;
    return;
  }
  ASSERT_NE(express, nullptr) << c.what;
  EXPECT_EQ(express->GetBaseLow(), c.expectedBase) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EnhancedConfigDiscovery,
    ::testing::Values(
        EnhancedCase{"PCIEXBAR 256 MB", 0x8086, 0x2E20, 0, 0x60, 0xE0000001, 0xE0000000},
        EnhancedCase{"PCIEXBAR 128 MB", 0x8086, 0x29E0, 0, 0x60, 0xE8000003, 0xE8000000},
        EnhancedCase{"PCIEXBAR 64 MB", 0x8086, 0x0100, 0, 0x60, 0xF4000005, 0xF4000000},
        EnhancedCase{"PCIEXBAR reserved size", 0x8086, 0x0100, 0, 0x60, 0xE0000007, 0},
        EnhancedCase{"PCIEXBAR disabled", 0x8086, 0x2E20, 0, 0x60, 0xE0000000, 0},
        EnhancedCase{"945 at 0x48", 0x8086, 0x2770, 0, 0x48, 0xF0000001, 0xF0000000},
        EnhancedCase{"VIA byte register at 0x41", 0x1106, 0x324B, 0, 0x41, 0x0E, 0xE0000000},
        EnhancedCase{"NVIDIA size-coded, code 1", 0x10DE, 0x0A80, 0, 0x88, 0x71, 0xE0000000},
        EnhancedCase{"5000P function 0 only", 0x8086, 0x25F0, 1, 0x64, 0xE000, 0},
        EnhancedCase{"5000P function 0", 0x8086, 0x25F0, 0, 0x64, 0xE000, 0xE0000000},
        EnhancedCase{"X79 IIO register at 00:05.0", 0x8086, 0x3C00, 0, 0x84, 0xE0000001, 0xE0000000},
        EnhancedCase{"X79 IIO unprogrammed", 0x8086, 0x3C00, 0, 0x84, 0, 0},
        EnhancedCase{"ATI RD790 0x1C", 0x1002, 0x5956, 0, 0x1C, 0xE0123456, 0xE0000000},
        EnhancedCase{"no row", 0x8086, 0x3405, 0, 0x60, 0xE0000001, 0}));

TEST(PciClassText, NamesFromTheTables) {
  struct {
    uint8_t cls, sub, pi;
    const char* text;
  } cases[] = {
      {0x0C, 0x03, 0x20, "USB 2.0 Controller (EHCI)"},
      {0x0C, 0x03, 0x30, "USB Controller"},
      {0x01, 0x05, 0x20, "ATA Controller (single DMA)"},
      {0x08, 0x80, 0x00, "System Device"},
      {0x06, 0x09, 0x80, "Semi-Transparent PCI to PCI Bridge (Secondaty Bus to Host)"},
      {0x12, 0x00, 0x00, "BaseClass 0x12, SubClass 0x00, PI 0x00"},
      {0x00, 0x00, 0x00, "BaseClass 0x00, SubClass 0x00, PI 0x00"},
  };
  for (const auto& c : cases) {
    char text[512];
    PciClassText(c.cls, c.sub, c.pi, text, sizeof(text));
    EXPECT_STREQ(text, c.text);
  }
}

}  // namespace
