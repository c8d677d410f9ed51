// Sharing the host with the kernel's own drivers, on a stand-in /proc, /sys
// and /dev tree: ports a driver claimed are refused, the configuration
// mechanism through 0xCF8/0xCFC is played on sysfs, and an SMBus host bound
// to a driver is reached through its i2c-dev node.
#include <gtest/gtest.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/host/HostHardwareAccess.h"
#include "platform/host/KernelBuses.h"
#include "tests/platform/host/FakeHostTree.h"

namespace {

using torvik_test::FakeHostTree;

// A machine with an ITE monitor driver, the i801 SMBus driver and ports
// nobody's driver owns.
const char kIoports[] =
    "0000-0cf7 : PCI Bus 0000:00\n"
    "  0060-0060 : keyboard\n"
    "  0290-0297 : it87\n"
    "0cf8-0cff : PCI conf1\n"
    "f000-f01f : 0000:00:1f.3\n"
    "  f000-f01f : i801_smbus\n";

void WriteText(FakeHostTree& tree, const std::string& path, const std::string& text) {
  tree.Put(path, 0, text.data(), text.size());
}

TEST(KernelBuses, ClaimsOfKernelDriversAndTheSuperIoPorts) {
  FakeHostTree tree;
  WriteText(tree, "/proc/ioports", kIoports);
  const std::vector<plat::IoClaim> claims = plat::ReadIoPorts(tree.root);
  ASSERT_EQ(claims.size(), 6u);
  EXPECT_EQ(claims[2].first, 0x290u);
  EXPECT_EQ(claims[2].name, "it87");
  const struct {
    uint32_t first, last;
    const char* owner;  // null: nobody's driver
  } cases[] = {
      {0x295, 0x296, "it87"},       {0x28F, 0x290, "it87"},       {0x2E, 0x2E, "it87"}, {0x4F, 0x4F, "it87"},
      {0xF004, 0xF004, "i801_smbus"}, {0x60, 0x60, nullptr},     {0x80, 0x80, nullptr}, {0xCF8, 0xCFB, nullptr},
      {0x298, 0x29F, nullptr},
  };
  for (const auto& c : cases) {
    const plat::IoClaim* owner = plat::KernelPortOwner(claims, c.first, c.last);
    SCOPED_TRACE(c.first);
    if (c.owner) {
      ASSERT_NE(owner, nullptr);
      EXPECT_EQ(owner->name, c.owner);
    } else {
      EXPECT_EQ(owner, nullptr) << owner->name;
    }
  }
  // Without a Super I/O driver, the configuration ports are free.
  std::vector<plat::IoClaim> smbusOnly{claims[5]};
  EXPECT_EQ(plat::KernelPortOwner(smbusOnly, 0x2E, 0x2F), nullptr);
}

TEST(KernelBuses, PortsAKernelDriverHoldsAreRefused) {
  FakeHostTree tree;
  tree.Make("/dev/port", 0x10000);
  WriteText(tree, "/proc/ioports", kIoports);
  plat::HostHardwareAccess hw(tree.Options());
  const auto before = tree.Get("/dev/port", 0, 0x10000);
  uint32_t v = 0x1234;
  EXPECT_FALSE(hw.PortRead(0x295, 1, &v));
  EXPECT_EQ(v, 0x1234u);
  EXPECT_FALSE(hw.PortWrite(0x2E, 1, 0x87)) << "the Super I/O key would collide with it87";
  EXPECT_FALSE(hw.PortWrite(0x4E, 1, 0x87));
  EXPECT_FALSE(hw.PortWrite(0xF000, 1, 0xFF)) << "the SMBus host is i801_smbus's";
  EXPECT_EQ(tree.Get("/dev/port", 0, 0x10000), before);
  EXPECT_TRUE(hw.PortRead(0x80, 1, &v)) << "other ports stay reachable";
  EXPECT_TRUE(hw.PortWrite(0x80, 1, 0x12));
  const std::string text = hw.Describe();
  EXPECT_NE(text.find("ports held by kernel drivers (refused): it87 0290-0297, i801_smbus f000-f01f; Super I/O "
                      "configuration ports 0x2E/0x4E too"),
            std::string::npos)
      << text;
}

TEST(KernelBuses, PortMechanismGoesThroughSysfsAndNeverTheKernelsPorts) {
  FakeHostTree tree;
  tree.Make("/dev/port", 0x10000);
  const std::string config = "/sys/bus/pci/devices/0000:00:18.3/config";
  tree.Make(config, 4096);
  plat::HostHardwareAccess hw(tree.Options());
  const auto ports = tree.Get("/dev/port", 0xCF8, 8);

  // Latch an address (register 0x44), read the dword and a byte of it.
  ASSERT_TRUE(hw.PortWrite(0xCF8, 4, 0x80000000u | 0x18 << 11 | 3 << 8 | 0x44));
  uint32_t latched = 0, dword = 0, byte = 0;
  ASSERT_TRUE(hw.PortRead(0xCF8, 4, &latched));
  EXPECT_EQ(latched, 0x80000000u | 0x18 << 11 | 3 << 8 | 0x44);
  ASSERT_TRUE(hw.PortRead(0xCFC, 4, &dword));
  const auto expected = tree.Get(config, 0x44, 4);
  EXPECT_EQ(dword, static_cast<uint32_t>(expected[3] << 24 | expected[2] << 16 | expected[1] << 8 | expected[0]));
  ASSERT_TRUE(hw.PortRead(0xCFE, 1, &byte));
  EXPECT_EQ(byte, expected[2]);
  // A write lands in the function's sysfs file; the extended format's
  // register bits 11-8 (address bits 27-24) reach register 0x144.
  ASSERT_TRUE(hw.PortWrite(0xCFC, 4, 0xCAFEF00D));
  EXPECT_EQ(tree.Get(config, 0x44, 4), (std::vector<uint8_t>{0x0D, 0xF0, 0xFE, 0xCA}));
  ASSERT_TRUE(hw.PortWrite(0xCF8, 4, 0x81000000u | 0x18 << 11 | 3 << 8 | 0x44));
  ASSERT_TRUE(hw.PortWrite(0xCFD, 1, 0x5A));
  EXPECT_EQ(tree.Get(config, 0x145, 1), (std::vector<uint8_t>{0x5A}));
  // An absent function floats high; 0xCF9 (reset control) is never reached.
  ASSERT_TRUE(hw.PortWrite(0xCF8, 4, 0x80000000u | 0x1F << 11));
  ASSERT_TRUE(hw.PortRead(0xCFC, 4, &dword));
  EXPECT_EQ(dword, 0xFFFFFFFFu);
  EXPECT_FALSE(hw.PortWrite(0xCF9, 1, 0x06));
  EXPECT_FALSE(hw.PortRead(0xCFA, 4, &dword));
  EXPECT_EQ(tree.Get("/dev/port", 0xCF8, 8), ports) << "the kernel's ports were not touched";
}

// The i2c-dev ioctls as a fake kernel answers them: a slave at 0x50 with
// byte registers, nothing else acknowledges.
struct FakeI2c {
  int slave = -1;
  uint8_t regs[256] = {};
  std::vector<uint32_t> sizes;
  int operator()(int, unsigned long request, void* argument) {
    if (request == I2C_SLAVE) {
      slave = static_cast<int>(reinterpret_cast<uintptr_t>(argument));
      return 0;
    }
    if (request != I2C_SMBUS) return -1;
    auto* r = static_cast<i2c_smbus_ioctl_data*>(argument);
    sizes.push_back(r->size);
    if (slave != 0x50) return -1;  // ENXIO: no acknowledge
    const bool read = r->read_write == I2C_SMBUS_READ;
    switch (r->size) {
      case I2C_SMBUS_BYTE_DATA:
        if (read) r->data->byte = regs[r->command];
        else regs[r->command] = r->data->byte;
        return 0;
      case I2C_SMBUS_WORD_DATA:
        if (read) r->data->word = static_cast<uint16_t>(regs[r->command + 1] << 8 | regs[r->command]);
        else regs[r->command] = static_cast<uint8_t>(r->data->word), regs[r->command + 1] = r->data->word >> 8;
        return 0;
      case I2C_SMBUS_BLOCK_DATA:
        if (read) {
          r->data->block[0] = 2;
          r->data->block[1] = regs[r->command];
          r->data->block[2] = regs[r->command + 1];
        } else {
          for (int i = 0; i < r->data->block[0]; ++i) regs[r->command + i] = r->data->block[1 + i];
        }
        return 0;
      default:
        return -1;
    }
  }
};

TEST(KernelBuses, BoundSmbusHostIsReachedThroughItsI2cDevNode) {
  FakeHostTree tree;
  const std::string fn = "/sys/bus/pci/devices/0000:00:1f.3";
  WriteText(tree, fn + "/class", "0x0c0500\n");
  tree.Make(fn + "/i2c-4/name", 0);
  tree.Make("/dev/i2c-4", 0);
  ASSERT_EQ(symlink("../../../bus/pci/drivers/i801_smbus", (tree.root + fn + "/driver").c_str()), 0);
  WriteText(tree, "/sys/bus/pci/devices/0000:00:1f.4/class", "0x0c0500\n");  // no driver bound

  EXPECT_EQ(plat::BoundPciDriver(tree.root, 0, 0x1F, 3), "i801_smbus");
  EXPECT_EQ(plat::FindKernelSmbusAdapter(tree.root, 0, 0x1F, 4), nullptr);
  FakeI2c kernel;
  auto adapter = plat::FindKernelSmbusAdapter(tree.root, 0, 0x1F, 3, std::ref(kernel));
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->Route(), "i801_smbus through " + tree.root + "/dev/i2c-4");

  EXPECT_TRUE(adapter->WriteByte(0x50, 0x10, 0x42));
  EXPECT_TRUE(adapter->WriteWord(0x50, 0x20, 0x1234));
  uint8_t b = 0;
  uint16_t w = 0;
  EXPECT_TRUE(adapter->ReadByte(0x50, 0x10, &b));
  EXPECT_EQ(b, 0x42);
  EXPECT_TRUE(adapter->ReadWord(0x50, 0x20, &w));
  EXPECT_EQ(w, 0x1234);
  const uint8_t out[2] = {7, 8};
  EXPECT_EQ(adapter->WriteBlock(0x50, 0x30, out, 2), 2);
  uint8_t in[32] = {};
  EXPECT_EQ(adapter->ReadBlock(0x50, 0x30, in), 2);
  EXPECT_EQ(in[1], 8);
  EXPECT_EQ(kernel.sizes, (std::vector<uint32_t>{I2C_SMBUS_BYTE_DATA, I2C_SMBUS_WORD_DATA, I2C_SMBUS_BYTE_DATA,
                                                 I2C_SMBUS_WORD_DATA, I2C_SMBUS_BLOCK_DATA, I2C_SMBUS_BLOCK_DATA}));
  // A slave that does not acknowledge: every transaction fails.
  EXPECT_FALSE(adapter->WriteByte(0x51, 0x10, 1));
  EXPECT_FALSE(adapter->ReadByte(0x51, 0x10, &b));
  EXPECT_EQ(adapter->WriteBlock(0x51, 0x30, out, 2), -1);
  EXPECT_EQ(adapter->WriteBlock(0x50, 0x30, out, 0), -1);

  const std::vector<std::string> routes = plat::SmbusRoutes(tree.root);
  EXPECT_EQ(routes, (std::vector<std::string>{
                        "SMBus 0000:00:1f.3: kernel driver i801_smbus through " + tree.root + "/dev/i2c-4",
                        "SMBus 0000:00:1f.4: host registers (no kernel driver)"}));

  // Bound, but without i2c-dev: the host is still the kernel's, and every
  // transaction fails rather than reaching its registers.
  ASSERT_EQ(unlink((tree.root + "/dev/i2c-4").c_str()), 0);
  auto missing = plat::FindKernelSmbusAdapter(tree.root, 0, 0x1F, 3);
  ASSERT_NE(missing, nullptr);
  EXPECT_FALSE(missing->ReadByte(0x50, 0x10, &b));
}

}  // namespace
