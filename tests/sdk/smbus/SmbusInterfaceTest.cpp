// The SMBus interface on emulated boards: hidden hosts, the vendor's bus
// switch, probing into device records, and silence while probing.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "emu/chips/Ich10r.h"
#include "sdk/access/Brenmor_ICH10R_SMBusMultiplexer.h"
#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CSMBusDevice.h"
#include "sdk/access/SMBusHostRegistry.h"
#include "boardid/BoardVendor.h"
#include "tests/sdk/smbus/IchBench.h"

namespace {

using smbustest::IchBench;
using smbustest::kSlave;
using smbustest::SmbusBoard;

constexpr uint16_t kGpio = 0x480;
constexpr uint32_t kBoth = Brenmor_ICH10R_SMBusMultiplexer::kGpio52 | Brenmor_ICH10R_SMBusMultiplexer::kGpio53;

TEST(SmbusInterface, HiddenHostIsShownAndStaysShownAfterClose) {
  emu::Ich10rOptions options;
  options.smbusHidden = true;
  IchBench b(options);
  ASSERT_TRUE(b.env.Start());
  ASSERT_TRUE(b.env.Sdk().CreatePCIInterface());
  b.env.Sdk().pciInterface->ScanBus();
  EXPECT_EQ(b.env.Sdk().pciInterface->FindPCIDevice(0, 0x1F, 3), nullptr) << "hidden by the firmware";

  ASSERT_TRUE(b.env.Sdk().CreateSMBusInterface());
  EXPECT_EQ(b.Smbus().commands->count, 1);
  EXPECT_NE(b.env.Sdk().pciInterface->FindPCIDevice(0, 0x1F, 3), nullptr) << "rescanned after 10 ms";
  ASSERT_NE(b.Host(), nullptr);
  b.slave->Set(0, 0x42);
  uint8_t v = 0;
  EXPECT_EQ(b.Host()->LockedReadByte(kSlave, 0, &v), 1);
  EXPECT_EQ(v, 0x42);

  // At exit the disable bit is cleared once more, never set back: the
  // firmware hides the host again at the next boot.
  b.Smbus().Close();
  uint32_t fd = 0xFFFFFFFF;
  ASSERT_TRUE(b.env.machine->PhysicalRead(0xFED1C000 + 0x3418, &fd, 4));
  EXPECT_EQ(fd & 0x8, 0u);
  EXPECT_EQ(b.Host()->LockedReadByte(kSlave, 0, &v), 1);
}

TEST(SmbusInterface, VendorBoardSwitchStartsOnChannelZeroAndDrivesThePins) {
  SmbusBoard b;
  ASSERT_TRUE(b.Start());
  ASSERT_EQ(b.Smbus().multiplexers->count, 1);
  CMultiplexer* mux = b.Smbus().multiplexers->head->item;
  EXPECT_STREQ(mux->ClassName(), "Brenmor_ICH10R_SMBusMultiplexer");
  EXPECT_EQ(mux->boardId, static_cast<uint32_t>(kBoardVendorPciSubsystemId) << 16 | 0x101A);
  EXPECT_EQ(mux->defaultChannel, 0);
  EXPECT_EQ(b.Port32(kGpio + 0x30) & kBoth, kBoth) << "both pins general purpose";
  EXPECT_EQ(b.Port32(kGpio + 0x34) & kBoth, 0u) << "both pins outputs";
  EXPECT_EQ(b.Port32(kGpio + 0x38) & kBoth, kBoth) << "both driven high: channel 0";

  // One record per channel at 0x2D, each reading its own chip; the default
  // channel is back after every transaction.
  CTList<CSMBusDevice> found;
  EXPECT_EQ(b.Smbus().FindSMBusDevices(0x2D, &found, 0), 2);
  ASSERT_EQ(found.count, 2);
  uint8_t ids[2] = {};
  for (CSMBusDevice* d : Items(&found)) {
    EXPECT_EQ(d->multiplexer, mux);
    EXPECT_EQ(d->slave, 0x2D);
    EXPECT_EQ(d->ReadByte(0xFE, &ids[d->channel]), 1);
    EXPECT_EQ(b.Port32(kGpio + 0x38) & kBoth, kBoth);
  }
  EXPECT_EQ(ids[0], 0x2D);
  EXPECT_EQ(ids[1], 0x79);

  mux->Select(5);
  EXPECT_EQ(b.Port32(kGpio + 0x38) & kBoth, Brenmor_ICH10R_SMBusMultiplexer::kGpio53) << "5 selects the last";
  uint32_t before = b.Port32(kGpio + 0x38);
  EXPECT_EQ(mux->SelectChannel(2), 1);
  EXPECT_EQ(b.Port32(kGpio + 0x38), before) << "an unknown channel changes nothing";
  mux->Restore();
  EXPECT_EQ(b.Port32(kGpio + 0x38) & kBoth, kBoth);
}

TEST(SmbusInterface, DefaultChannelFollowsThePinsFoundAtStart) {
  struct Case {
    uint32_t ioSel, level;
    int channel;
    uint32_t levelAfter;
  } cases[] = {
      {0xFFFFFFFF, 0, 0, kBoth},                         // inputs, low: driven to channel 0
      {0, Brenmor_ICH10R_SMBusMultiplexer::kGpio53, 1, Brenmor_ICH10R_SMBusMultiplexer::kGpio53},
      {0, kBoth, 0, kBoth},
      {0, Brenmor_ICH10R_SMBusMultiplexer::kGpio52, 0, kBoth},  // undefined combination
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    emu::Ich10rOptions o;
    o.subsystemVendor = kBoardVendorPciSubsystemId;
    o.subsystemDevice = kBoardVendorIch10rMuxSubsystemDevice;
    o.gpio[1] = {.useSel = kBoth, .ioSel = c.ioSel, .level = c.level};
    o.mux = emu::SmbusGpioMux{};
    IchBench b(o);
    ASSERT_TRUE(b.Start());
    ASSERT_EQ(b.Smbus().multiplexers->count, 1);
    EXPECT_EQ(b.Smbus().multiplexers->head->item->defaultChannel, c.channel);
    EXPECT_EQ(b.Port32(kGpio + 0x38) & kBoth, c.levelAfter);
  }
}

TEST(SmbusInterface, BoardWithoutSwitchProbesTheHostDirectly) {
  IchBench b;  // no subsystem of the vendor's board
  ASSERT_TRUE(b.Start());
  EXPECT_EQ(b.Smbus().multiplexers->count, 0);
  CTList<CSMBusDevice> found;
  EXPECT_EQ(b.Smbus().FindSMBusDevices(kSlave, &found, 0), 1);
  EXPECT_EQ(found.head->item->multiplexer, nullptr);
  EXPECT_EQ(b.Smbus().FindSMBusSpaces(0xFFFFFFFF, nullptr), 1) << "the ICH4 family records no controller id";
  EXPECT_EQ(b.Smbus().FindSMBusSpaces(0x80863A30, nullptr), 0);

  // Detecting again makes a second host on the same port window.
  const int windows = b.env.Sdk().ioSpaces->count;
  DetectSMBusHosts(b.env.Sdk());
  CTList<CRegisterSpace> hosts;
  ASSERT_EQ(b.env.Sdk().FindRegisterSpaces(REGSPACE_SMBUS, &hosts), 2);
  EXPECT_EQ(hosts.At(0)->io, hosts.At(1)->io);
  EXPECT_EQ(b.env.Sdk().ioSpaces->count, windows);
}

TEST(SmbusInterface, ProbeReusesRecordsAndDropsThoseThatStopAnswering) {
  SmbusBoard b;
  ASSERT_TRUE(b.Start());
  int count = 0;
  CSMBusDevice* spd = b.Smbus().FindSMBusDevice(0x50, &count);
  ASSERT_NE(spd, nullptr);
  EXPECT_EQ(count, 2) << "the common segment answers on both channels";
  EXPECT_EQ(b.Smbus().FindSMBusDevice(0x50, &count), spd) << "the same record again";
  EXPECT_EQ(b.Smbus().FindSMBusDeviceRecord(spd->smbusSpace, spd->multiplexer, 0, 0x50), spd);
  EXPECT_EQ(b.Smbus().FindSMBusDevice(0x33, &count), nullptr);
  EXPECT_EQ(count, 0);

  // Both channels NAK once: both records go.
  CSMBusRegisterSpace* space = spd->smbusSpace;
  CMultiplexer* mux = spd->multiplexer;
  b.env.machine->Faults().Add({emu::AccessKind::Smbus, 0x50, true, true, emu::FaultRule::Action::Fail, 0, 2, "nak"});
  CTList<CSMBusDevice> found;
  EXPECT_EQ(b.Smbus().FindSMBusDevices(0x50, &found, 0), 0);
  EXPECT_EQ(b.Smbus().FindSMBusDeviceRecord(space, mux, 0, 0x50), nullptr);
  EXPECT_EQ(b.Smbus().FindSMBusDeviceRecord(space, mux, 1, 0x50), nullptr);
  CTList<CDevice> devices;
  EXPECT_EQ(b.env.Sdk().FindDevices(DEVICE_SMBUS, &devices), 0);
}

TEST(SmbusInterface, ProbingWritesNothingToAnySlave) {
  SmbusBoard b;
  ASSERT_TRUE(b.Start());
  // A write anywhere would consume this one-shot fault.
  b.env.machine->Faults().Add(
      {emu::AccessKind::Smbus, emu::kAnyAddress, false, true, emu::FaultRule::Action::Fail, 0, 1, "disabled"});
  CTList<CSMBusDevice> found;
  for (int slave = 0x08; slave < 0x78; ++slave) b.Smbus().FindSMBusDevices(static_cast<uint8_t>(slave), &found, 0);
  EXPECT_EQ(found.count, 18) << "three DIMMs with their thermal sensors, the chip at 0x2D, the clock generator and "
                                "the hand-held device, on both channels";
  // The fault is still armed: this write is the first one.
  CSMBusDevice* chip = found.head->item;
  for (CSMBusDevice* d : Items(&found))
    if (d->slave == 0x2D) chip = d;
  chip->multiplexer->Select(chip->channel);
  chip->smbusSpace->LockedWriteByte(0x2D, 0x10, 0x01);
  chip->multiplexer->Restore();
  uint8_t v = 0xFF;
  EXPECT_EQ(chip->ReadByte(0x10, &v), 1);
  EXPECT_EQ(v, 0x00) << "the first write was swallowed by the armed fault";
  chip->multiplexer->Select(chip->channel);
  chip->smbusSpace->LockedWriteByte(0x2D, 0x10, 0x01);
  chip->multiplexer->Restore();
  EXPECT_EQ(chip->ReadByte(0x10, &v), 1);
  EXPECT_EQ(v, 0x01);
}

}  // namespace

namespace {

TEST(SmbusHostRegistry, EveryHostClassIsListedOnceAndEveryPciIdHasOneHost) {
  std::set<std::string> names;
  std::map<uint32_t, std::string> owner;
  std::map<uint32_t, std::string> configOwner;
  for (const SMBusHostClass* host : SMBusHostClasses()) {
    EXPECT_TRUE(names.insert(host->name).second) << host->name << " listed twice";
    // A class is found either behind an I/O base or in configuration
    // registers, and its factory makes the class the row names.
    ASSERT_NE(host->ids.empty(), host->configIds.empty()) << host->name;
    std::unique_ptr<CSMBusRegisterSpace> made(
        host->ids.empty() ? host->createInConfig(nullptr, 0, 0, 0, host->configIds[0], 0xFFFFFFFF)
                          : host->create(nullptr, 0xFFFFFFFF));
    ASSERT_NE(made, nullptr) << host->name;
    EXPECT_STREQ(made->ClassName(), host->name);
    for (const SMBusHostId& id : host->ids) {
      EXPECT_NE(id.bases, nullptr) << host->name;
      const uint32_t key = static_cast<uint32_t>(id.vendor) << 16 | id.device;
      auto [it, fresh] = owner.emplace(key, host->name);
      EXPECT_TRUE(fresh) << std::hex << key << " claimed by " << it->second << " and " << host->name;
    }
    for (const SMBusConfigHostId& id : host->configIds) {
      const uint32_t key = static_cast<uint32_t>(id.vendor) << 16 | id.device;
      auto [it, fresh] = configOwner.emplace(key, host->name);
      EXPECT_TRUE(fresh || it->second == host->name)
          << std::hex << key << " claimed by " << it->second << " and " << host->name;
    }
  }
  // The classes of the chipsets the emulated boards carry are among them.
  for (const char* expected : {"Intel_ICH4_SMBusRegisterSpace", "ATI_SB_SMBusRegisterSpace",
                               "nVidia_SMBusRegisterSpace", "VIA_VT82_SMBusRegisterSpace",
                               "Intel_5000X_SMBusRegisterSpace", "Intel_X79_SMBusRegisterSpace"})
    EXPECT_TRUE(names.count(expected)) << expected;
}

}  // namespace
