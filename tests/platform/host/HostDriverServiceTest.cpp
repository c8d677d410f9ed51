#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "driver/CKMDriver.h"
#include "driver/DriverProtocol.h"
#include "driver/KmioDevice.h"
#include "platform/host/HostMachine.h"
#include "tests/platform/host/FakeHostTree.h"

namespace {

using torvik_test::FakeHostTree;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

uint32_t ExpectedDenial() { return geteuid() == 0 ? drv::kErrorNoDevice : drv::kErrorAccessDenied; }

// The channel sleeps through the current machine when it removes the driver.
class HostDriverServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::SetCurrentMachine(std::make_shared<plat::HostMachine>()); }
  void TearDown() override { plat::SetCurrentMachine(nullptr); }
};

TEST_F(HostDriverServiceTest, DeviceOpensOnlyWhileInstalled) {
  plat::HostDriverService service;
  uint32_t error = 0;
  EXPECT_FALSE(service.IsInstalled());
  EXPECT_EQ(service.OpenDevice(&error), nullptr);
  EXPECT_EQ(error, drv::kErrorFileNotFound);

  const plat::HostFacilities f = service.Hardware().Facilities();
  const bool usable = f.ports.available || f.msr.available || f.physical.available || f.pciWritable;
  EXPECT_EQ(service.Install(&error), usable);
  if (!usable) {
    EXPECT_TRUE(error == drv::kErrorNoDevice || error == drv::kErrorAccessDenied) << error;
    EXPECT_EQ(service.OpenDevice(&error), nullptr);
    EXPECT_EQ(error, drv::kErrorFileNotFound);
    GTEST_SKIP() << service.Describe();
  }
  EXPECT_EQ(error, drv::kErrorSuccess);
  drv::DriverDevice* device = service.OpenDevice(&error);
  ASSERT_NE(device, nullptr);
  service.CloseDevice(device);
  EXPECT_EQ(service.OpenDevice(&error), device);
  EXPECT_TRUE(Contains(service.Describe(), "driver: installed\n"));

  EXPECT_TRUE(service.Uninstall(true, true, &error));
  EXPECT_FALSE(service.IsInstalled());
  EXPECT_EQ(service.OpenDevice(&error), nullptr);
  EXPECT_EQ(error, drv::kErrorFileNotFound);
  EXPECT_TRUE(Contains(service.Describe(), "driver: not installed\n"));
}

TEST_F(HostDriverServiceTest, ChannelReadsHostPciConfigAndRefusesMissingFacilities) {
  plat::HostDriverService service;
  CKMDriver channel;
  channel.SetService(&service);
  uint32_t error = 0;
  if (!channel.Open(nullptr, &error, false)) {
    EXPECT_TRUE(error == drv::kErrorNoDevice || error == drv::kErrorAccessDenied) << error;
    GTEST_SKIP() << service.Describe();
  }
  ASSERT_TRUE(channel.Acquire(&error, 2000)) << error;
  uint32_t version = 0;
  ASSERT_TRUE(channel.GetVersion(&version));
  EXPECT_EQ(version, 0x135u);

  const plat::HostFacilities f = service.Hardware().Facilities();
  if (DIR* dir = opendir("/sys/bus/pci/devices")) {
    while (dirent* e = readdir(dir)) {
      unsigned domain = 0, bus = 0, dev = 0, fn = 0;
      if (std::sscanf(e->d_name, "%x:%x:%x.%x", &domain, &bus, &dev, &fn) != 4 || domain != 0) continue;
      std::ifstream in(std::string("/sys/bus/pci/devices/") + e->d_name + "/vendor");
      std::string vendor;
      in >> vendor;
      uint16_t id = 0;
      ASSERT_TRUE(channel.ReadPCIConfig(bus, dev, fn, 0, 2, &id)) << e->d_name;
      EXPECT_EQ(id, std::strtoul(vendor.c_str(), nullptr, 16)) << e->d_name;
      break;
    }
    closedir(dir);
  }
  if (!f.msr.available) {
    uint32_t high = 0, low = 0;
    EXPECT_FALSE(channel.ReadMSR(0x10, &high, &low));
    EXPECT_EQ(high, 0xFFFFFFFFu);
    EXPECT_EQ(low, 0xFFFFFFFFu);
  }
  if (!f.ports.available) {
    uint8_t value = 0;
    EXPECT_FALSE(channel.ReadPort8(0x80, &value));
    EXPECT_EQ(value, 0xFF);
  }
  if (!f.physical.available) {
    uint32_t value = 0;
    EXPECT_FALSE(channel.ReadPhysical32(0, 0xF0000, 0, &value));
  }
  channel.Release();
  channel.Close(true, true);
  EXPECT_FALSE(service.IsInstalled());
}

TEST_F(HostDriverServiceTest, InstallFailsWhenNothingIsReachable) {
  FakeHostTree tree;
  tree.Make("/sys/bus/pci/devices/.keep", 0);  // sysfs without devices: nothing writable
  plat::HostDriverService service(tree.Options());
  uint32_t error = 0;
  EXPECT_FALSE(service.Install(&error));
  EXPECT_EQ(error, ExpectedDenial());

  CKMDriver channel;
  channel.SetService(&service);
  EXPECT_FALSE(channel.Open(nullptr, &error, false));
  EXPECT_EQ(error, ExpectedDenial());
  EXPECT_TRUE(Contains(service.Describe(), "driver: not installed\n"));
}

// Install loads the msr module only when its device files are missing, runs
// the loader without a shell, and does not depend on it succeeding.
TEST_F(HostDriverServiceTest, InstallLoadsTheMsrModuleWhenItIsMissing) {
  const struct {
    const char* name;
    bool msrBefore;
    int loaderExit;       // -1: the loader does not exist
    bool loaderMakesMsr;
    bool pci;             // a writable PCI function besides
    bool expectRun;
    bool expectMsr;
    bool expectInstalled;
    const char* expectDescribe;
  } cases[] = {
      {"loads", false, 0, true, false, true, true, true, "msr module: modprobe msr: done"},
      {"loader fails", false, 1, false, true, true, false, true, "msr module: modprobe msr: exit status 1"},
      {"loader fails, nothing else", false, 1, false, false, true, false, false, "exit status 1"},
      {"no loader", false, -1, false, true, false, false, true, "No such file or directory"},
      {"already loaded", true, 0, true, false, false, true, true, "MSR: available"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHostTree tree;
    if (c.msrBefore) tree.Make("/dev/cpu/0/msr", 0);
    if (c.pci) tree.Make("/sys/bus/pci/devices/0000:00:00.0/config", 256);
    std::string loader = tree.root + "/modprobe";
    if (c.loaderExit >= 0) {
      std::ofstream script(loader);
      script << "#!/bin/sh\necho \"$@\" > '" << tree.root << "/ran'\n";
      if (c.loaderMakesMsr)
        script << "mkdir -p '" << tree.root << "/dev/cpu/0' && : > '" << tree.root << "/dev/cpu/0/msr'\n";
      script << "exit " << c.loaderExit << "\n";
      script.close();
      chmod(loader.c_str(), 0755);
    }
    plat::HostDriverService service(tree.Options(loader));
    uint32_t error = 0xFFFF;
    EXPECT_EQ(service.Install(&error), c.expectInstalled);
    EXPECT_EQ(error, c.expectInstalled ? drv::kErrorSuccess : ExpectedDenial());
    EXPECT_EQ(service.IsInstalled(), c.expectInstalled);
    const auto ran = tree.Get("/ran", 0, 64);
    EXPECT_EQ(!ran.empty(), c.expectRun);
    if (c.expectRun) {
      EXPECT_EQ(std::string(ran.begin(), ran.end()), "msr\n");
    }
    EXPECT_EQ(service.Hardware().Facilities().msr.available, c.expectMsr);
    const std::string text = service.Describe();
    EXPECT_TRUE(Contains(text, c.expectDescribe)) << text;
  }
}

class HostChannelFakeTest : public HostDriverServiceTest {
 protected:
  void SetUp() override {
    HostDriverServiceTest::SetUp();
    tree_.Make("/dev/port", 0x10000);
    tree_.Make("/dev/mem", 0x4000);
    tree_.Make("/sys/bus/pci/devices/0000:00:1f.3/config", 256);
    for (int cpu = 0; cpu < 64; ++cpu) {
      const uint64_t tsc = 0x0000'0001'0000'0000ull | static_cast<uint64_t>(cpu);
      tree_.Put("/dev/cpu/" + std::to_string(cpu) + "/msr", 0x10, &tsc, 8);
    }
    service_ = std::make_unique<plat::HostDriverService>(tree_.Options());
    channel_.SetService(service_.get());
    uint32_t error = 0;
    ASSERT_TRUE(channel_.Open(nullptr, &error, false)) << error;
  }
  void TearDown() override {
    channel_.Close(true, true);
    HostDriverServiceTest::TearDown();
  }

  drv::KmioDevice* Device() {
    uint32_t error = 0;
    return dynamic_cast<drv::KmioDevice*>(service_->OpenDevice(&error));
  }

  FakeHostTree tree_;
  std::unique_ptr<plat::HostDriverService> service_;
  CKMDriver channel_;
};

TEST_F(HostChannelFakeTest, RequestsReachEveryFacility) {
  uint32_t error = 0;
  ASSERT_TRUE(channel_.Acquire(&error, 2000));
  uint32_t version = 0;
  EXPECT_TRUE(channel_.GetVersion(&version));
  EXPECT_EQ(version, 0x135u);

  uint8_t port = 0;
  EXPECT_TRUE(channel_.ReadPort8(0x2E, &port));
  EXPECT_EQ(port, FakeHostTree::Pattern(0x2E));

  uint32_t high = 0, low = 0;
  EXPECT_TRUE(channel_.ReadMSR(0x10, &high, &low));
  EXPECT_EQ(high, 1u);
  EXPECT_LT(low, 64u);

  uint32_t dword = 0;
  EXPECT_TRUE(channel_.ReadPhysical32(0, 0x1000, 0x10, &dword));
  EXPECT_EQ(dword, static_cast<uint32_t>(FakeHostTree::Pattern(0x1010) | FakeHostTree::Pattern(0x1011) << 8 |
                                         FakeHostTree::Pattern(0x1012) << 16 | FakeHostTree::Pattern(0x1013) << 24));

  uint8_t config[4] = {};
  EXPECT_TRUE(channel_.ReadPCIConfig(0, 0x1F, 3, 0, 4, config));
  EXPECT_EQ(config[2], FakeHostTree::Pattern(2));
  EXPECT_FALSE(channel_.ReadPCIConfig(0, 0x1F, 4, 0, 4, config));
  channel_.Release();
}

TEST_F(HostChannelFakeTest, KeptMappingsOutliveReleaseUntilTheDriverStops) {
  uint32_t error = 0;
  ASSERT_TRUE(channel_.Acquire(&error, 2000));
  uint64_t first = 0;
  ASSERT_TRUE(channel_.MapPhysical(0, 0x1000, 0x100, &first));
  channel_.Release();

  ASSERT_TRUE(channel_.Acquire(&error, 2000));
  uint64_t inside = 0;
  ASSERT_TRUE(channel_.MapPhysical(0, 0x1040, 0x10, &inside));
  EXPECT_EQ(inside, first);
  ASSERT_NE(Device(), nullptr);
  EXPECT_EQ(Device()->KeptMappingCount(), 1);
  // Served from the kept mapping: the same bytes as the memory behind it.
  uint8_t bytes[8] = {};
  ASSERT_TRUE(channel_.ReadPhysical(0, 0x1044, sizeof(bytes), bytes));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[i], FakeHostTree::Pattern(0x1044 + i)) << i;
  channel_.Release();

  drv::KmioDevice* device = Device();
  channel_.Close(true, true);
  EXPECT_FALSE(service_->IsInstalled());
  EXPECT_EQ(device->KeptMappingCount(), 0);
}

}  // namespace

// What an ordinary user is told the kernel keeps for root: exactly the
// facilities that are missing, joined as a sentence.
TEST(HostRootFacilities, NamesOnlyWhatIsMissing) {
  const struct {
    bool ports, msr, physical;
    const char* text;
  } cases[] = {
      {true, true, true, ""},
      {false, true, true, "I/O ports (/dev/port, iopl)"},
      {true, false, false, "MSRs (/dev/cpu/N/msr) and physical memory (/dev/mem)"},
      {false, false, false, "I/O ports (/dev/port, iopl), MSRs (/dev/cpu/N/msr) and physical memory (/dev/mem)"},
  };
  for (const auto& c : cases) {
    plat::HostFacilities f;
    f.ports.available = c.ports;
    f.msr.available = c.msr;
    f.physical.available = c.physical;
    EXPECT_EQ(plat::RootOnlyFacilitiesMissing(f), c.text);
  }
}
