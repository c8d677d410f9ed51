#include "platform/host/HostHardwareAccess.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>
#include <x86intrin.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/host/FakeHostTree.h"

namespace {

using torvik_test::FakeHostTree;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string LineOf(const std::string& text, const std::string& facility) {
  for (const auto& line : Lines(text))
    if (line.rfind(facility + ":", 0) == 0) return line;
  return {};
}

uint64_t ThreadMask() {
  cpu_set_t set;
  CPU_ZERO(&set);
  sched_getaffinity(0, sizeof(set), &set);
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i)
    if (CPU_ISSET(i, &set)) mask |= uint64_t{1} << i;
  return mask;
}

bool SetThreadMask(uint64_t mask) {
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int i = 0; i < 64; ++i)
    if (mask >> i & 1) CPU_SET(i, &set);
  return sched_setaffinity(0, sizeof(set), &set) == 0;
}

// Restores the thread's affinity when a test has pinned it.
struct AffinityGuard {
  uint64_t mask = ThreadMask();
  ~AffinityGuard() { SetThreadMask(mask); }
};

unsigned long ReadHex(const std::string& path) {
  std::ifstream in(path);
  std::string text;
  in >> text;
  return std::strtoul(text.c_str(), nullptr, 16);
}

// ------------------------------------------------------------ the real host

class HostHardwareRealTest : public ::testing::Test {
 protected:
  plat::HostHardwareAccess hw_;
  plat::HostFacilities f_ = hw_.Facilities();
};

TEST_F(HostHardwareRealTest, PciConfigMatchesSysfsIdentity) {
  DIR* dir = opendir("/sys/bus/pci/devices");
  if (!dir) GTEST_SKIP() << "no sysfs PCI devices";
  int checked = 0;
  while (dirent* e = readdir(dir)) {
    unsigned domain = 0, bus = 0, dev = 0, fn = 0;
    if (std::sscanf(e->d_name, "%x:%x:%x.%x", &domain, &bus, &dev, &fn) != 4 || domain != 0) continue;
    SCOPED_TRACE(e->d_name);
    const std::string base = std::string("/sys/bus/pci/devices/") + e->d_name;
    uint8_t head[12] = {};
    ASSERT_EQ(hw_.PciConfigRead(bus, dev, fn, 0, head, sizeof(head)), sizeof(head));
    EXPECT_EQ(head[0] | head[1] << 8, ReadHex(base + "/vendor"));
    EXPECT_EQ(head[2] | head[3] << 8, ReadHex(base + "/device"));
    // Class code: programming interface, subclass, base class at 09h-0Bh.
    uint8_t cls[3] = {};
    ASSERT_EQ(hw_.PciConfigRead(bus, dev, fn, 9, cls, 3), 3u);
    EXPECT_EQ(static_cast<unsigned long>(cls[0] | cls[1] << 8 | cls[2] << 16), ReadHex(base + "/class"));
    ++checked;
  }
  closedir(dir);
  if (checked == 0) GTEST_SKIP() << "no PCI functions in domain 0";
}

TEST_F(HostHardwareRealTest, AbsentPciFunctionTransfersNothing) {
  if (!f_.pciSysfs) GTEST_SKIP() << "configuration space not through sysfs";
  ASSERT_NE(access("/sys/bus/pci/devices/0000:fe:1f.7", F_OK), 0);
  uint8_t buffer[4] = {0x5A, 0x5A, 0x5A, 0x5A};
  EXPECT_EQ(hw_.PciConfigRead(0xFE, 31, 7, 0, buffer, 4), 0u);
  EXPECT_EQ(hw_.PciConfigWrite(0xFE, 31, 7, 0x40, buffer, 4), 0u);
  // Outside the configuration space of any function.
  EXPECT_EQ(hw_.PciConfigRead(0, 0, 0, 0xFFE, buffer, 4), 0u);
  EXPECT_EQ(hw_.PciConfigRead(0, 32, 0, 0, buffer, 4), 0u);
}

TEST_F(HostHardwareRealTest, MsrReadsTheCurrentProcessorOrFailsCleanly) {
  uint64_t value = 0x1234;
  if (!f_.msr.available) {
    EXPECT_FALSE(hw_.MsrRead(0x10, &value));
    EXPECT_EQ(value, 0x1234u) << "no value may be invented";
    EXPECT_FALSE(hw_.MsrWrite(0x10, 0));
    GTEST_SKIP() << f_.msr.detail;
  }
  AffinityGuard guard;
  ASSERT_TRUE(SetThreadMask(uint64_t{1} << sched_getcpu()));
  // MSR 10h is the time-stamp counter.
  const uint64_t before = __rdtsc();
  ASSERT_TRUE(hw_.MsrRead(0x10, &value));
  const uint64_t after = __rdtsc();
  EXPECT_GE(value, before);
  EXPECT_LE(value, after);
}

TEST_F(HostHardwareRealTest, PortsWorkOrFailCleanly) {
  uint32_t value = 0x1234;
  if (!f_.ports.available) {
    for (int width : {1, 2, 4}) EXPECT_FALSE(hw_.PortRead(0x80, width, &value)) << width;
    EXPECT_EQ(value, 0x1234u);
    EXPECT_FALSE(hw_.PortWrite(0x80, 1, 0));
    GTEST_SKIP() << f_.ports.detail;
  }
  // The POST diagnostic port reads harmlessly everywhere.
  EXPECT_TRUE(hw_.PortRead(0x80, 1, &value));
  EXPECT_LE(value, 0xFFu);
}

TEST_F(HostHardwareRealTest, PhysicalMemoryWorksOrFailsCleanly) {
  uint8_t direct[64] = {}, mapped[64] = {};
  if (!f_.physical.available) {
    EXPECT_FALSE(hw_.PhysicalRead(0xF0000, direct, sizeof(direct)));
    EXPECT_EQ(hw_.PhysicalMap(0xF0000, sizeof(mapped)), 0u);
    const uint32_t dword = 0;
    EXPECT_FALSE(hw_.PhysicalWrite(0xF0000, &dword, 4));
    GTEST_SKIP() << f_.physical.detail;
  }
  // The firmware area below 1 MiB is readable under every /dev/mem policy
  // and does not change: the two read paths must agree.
  ASSERT_TRUE(hw_.PhysicalRead(0xF0000, direct, sizeof(direct)));
  const uint64_t handle = hw_.PhysicalMap(0xF0000, sizeof(mapped));
  ASSERT_NE(handle, 0u);
  ASSERT_TRUE(hw_.PhysicalReadMapped(handle, 0, mapped, sizeof(mapped)));
  EXPECT_EQ(std::memcmp(direct, mapped, sizeof(direct)), 0);
  hw_.PhysicalUnmap(handle, sizeof(mapped));
}

TEST_F(HostHardwareRealTest, SmiNeedsIopl) {
  if (f_.smi.available) GTEST_SKIP() << "never raised from a test";
  uint32_t regs[4] = {1, 2, 3, 4};
  EXPECT_FALSE(hw_.CallSmi(regs));
  EXPECT_EQ(regs[0], 1u);
  EXPECT_EQ(regs[3], 4u);
}

TEST_F(HostHardwareRealTest, DescribeGivesEveryFacilityAndWhyItIsMissing) {
  const std::string text = hw_.Describe();
  // The five facilities, the PCI route, one line per SMBus controller and
  // the ports kernel drivers hold.
  ASSERT_GE(Lines(text).size(), 7u) << text;
  EXPECT_FALSE(LineOf(text, "PCI config route").empty()) << text;
  EXPECT_FALSE(LineOf(text, "ports held by kernel drivers (refused)").empty()) << text;
  const struct {
    const char* name;
    const plat::FacilityState& state;
  } facilities[] = {{"ports", f_.ports}, {"MSR", f_.msr}, {"physical memory", f_.physical},
                    {"PCI config", f_.pci}, {"SMI", f_.smi}};
  for (const auto& f : facilities) {
    const std::string line = LineOf(text, f.name);
    ASSERT_FALSE(line.empty()) << f.name << "\n" << text;
    EXPECT_NE(line.find(f.state.available ? ": available: " : ": not available: "), std::string::npos) << line;
  }
  const struct {
    const char* facility;
    const char* path;
  } missing[] = {{"ports", "/dev/port"}, {"MSR", "/dev/cpu/0/msr"}, {"physical memory", "/dev/mem"}};
  for (const auto& m : missing) {
    if (access(m.path, F_OK) == 0) continue;
    EXPECT_NE(LineOf(text, m.facility).find(std::string(m.path) + " missing"), std::string::npos) << text;
  }
}

// ------------------------------------------------------------ a stand-in tree

class HostHardwareFakeTest : public ::testing::Test {
 protected:
  FakeHostTree tree_;
};

TEST_F(HostHardwareFakeTest, PortsReadLittleEndianAtThePortOffset) {
  tree_.Make("/dev/port", 0x10000);
  plat::HostHardwareAccess hw(tree_.Options());
  const struct {
    uint16_t port;
    int width;
    bool ok;
  } cases[] = {{0x70, 1, true}, {0x70, 2, true}, {0x71, 4, true}, {0xFFFF, 1, true},
               {0xFFFF, 2, false}, {0xFFFD, 4, false}, {0x70, 3, false}, {0x70, 8, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.port) + "/" + std::to_string(c.width));
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(hw.PortRead(c.port, c.width, &value), c.ok);
    if (!c.ok) {
      EXPECT_EQ(value, 0xDEADBEEFu);
      continue;
    }
    uint32_t expected = 0;
    for (int i = c.width - 1; i >= 0; --i) expected = expected << 8 | FakeHostTree::Pattern(c.port + i);
    EXPECT_EQ(value, expected);
  }
}

TEST_F(HostHardwareFakeTest, PortDeviceTakesByteWritesOnly) {
  tree_.Make("/dev/port", 0x10000);
  plat::HostHardwareAccess hw(tree_.Options());
  EXPECT_TRUE(hw.PortWrite(0x2E, 1, 0x187));  // only the low byte
  EXPECT_EQ(tree_.Get("/dev/port", 0x2D, 3), (std::vector<uint8_t>{FakeHostTree::Pattern(0x2D), 0x87,
                                                                     FakeHostTree::Pattern(0x2F)}));
  // A dword through the byte device would also write 0xCF9..0xCFB.
  const auto before = tree_.Get("/dev/port", 0xCF8, 8);
  EXPECT_FALSE(hw.PortWrite(0xCF8, 4, 0x80000000));
  EXPECT_FALSE(hw.PortWrite(0xCF8, 2, 0x8000));
  EXPECT_EQ(tree_.Get("/dev/port", 0xCF8, 8), before);
  EXPECT_NE(LineOf(hw.Describe(), "ports").find("16/32-bit writes refused"), std::string::npos);
}

TEST_F(HostHardwareFakeTest, MsrGoesToTheCurrentProcessorsFileAndKeepsAffinity) {
  AffinityGuard guard;
  const uint64_t allowed = guard.mask;
  for (int cpu = 0; cpu < 64; ++cpu) {
    if (!(allowed >> cpu & 1) && cpu != 0) continue;
    const uint64_t tsc = 0x1000 + cpu, perf = 0xC001'0000'0000'0000ull + cpu;
    tree_.Put("/dev/cpu/" + std::to_string(cpu) + "/msr", 0x10, &tsc, 8);
    tree_.Put("/dev/cpu/" + std::to_string(cpu) + "/msr", 0xC0010064, &perf, 8);
  }
  plat::HostHardwareAccess hw(tree_.Options());

  for (int cpu = 0; cpu < 64; ++cpu) {
    if (!(allowed >> cpu & 1)) continue;
    SCOPED_TRACE("cpu " + std::to_string(cpu));
    ASSERT_TRUE(SetThreadMask(uint64_t{1} << cpu));
    uint64_t value = 0;
    ASSERT_TRUE(hw.MsrRead(0x10, &value));
    EXPECT_EQ(value, 0x1000u + cpu);
    ASSERT_TRUE(hw.MsrRead(0xC0010064, &value));
    EXPECT_EQ(value, 0xC001'0000'0000'0000ull + cpu);
    const uint64_t written = 0x0123'4567'89AB'CDEFull ^ cpu;
    ASSERT_TRUE(hw.MsrWrite(0x1A0, written));
    uint64_t inFile = 0;
    auto bytes = tree_.Get("/dev/cpu/" + std::to_string(cpu) + "/msr", 0x1A0, 8);
    ASSERT_EQ(bytes.size(), 8u);
    std::memcpy(&inFile, bytes.data(), 8);
    EXPECT_EQ(inFile, written);
    EXPECT_EQ(ThreadMask(), uint64_t{1} << cpu);
  }

  // Unpinned: the access pins for itself and gives the whole mask back.
  ASSERT_TRUE(SetThreadMask(allowed));
  uint64_t value = 0;
  ASSERT_TRUE(hw.MsrRead(0x10, &value));
  EXPECT_GE(value, 0x1000u);
  EXPECT_LT(value, 0x1040u);
  EXPECT_EQ(ThreadMask(), allowed);

  // A register the processor does not implement: the file has no bytes there.
  value = 0x77;
  EXPECT_FALSE(hw.MsrRead(0xFFFFFFF0, &value));
  EXPECT_EQ(value, 0x77u);
}

TEST_F(HostHardwareFakeTest, FacilitiesAreDetectedOnceUntilProbedAgain) {
  plat::HostHardwareAccess hw(tree_.Options());
  uint64_t value = 0;
  EXPECT_FALSE(hw.MsrRead(0x10, &value));
  // The msr module appears (as after modprobe): only a new probe sees it.
  for (uint64_t cpu = 0; cpu < 64; ++cpu) tree_.Put("/dev/cpu/" + std::to_string(cpu) + "/msr", 0x10, &cpu, 8);
  EXPECT_FALSE(hw.MsrRead(0x10, &value));
  hw.Probe();
  EXPECT_TRUE(hw.MsrRead(0x10, &value));
  EXPECT_EQ(value, static_cast<uint64_t>(sched_getcpu()));
}

TEST_F(HostHardwareFakeTest, PhysicalReadsWritesAndKeptMappings) {
  tree_.Make("/dev/mem", 0x4000);
  plat::HostHardwareAccess hw(tree_.Options());

  // Across a page boundary.
  uint8_t block[32] = {};
  ASSERT_TRUE(hw.PhysicalRead(0x1FF0, block, sizeof(block)));
  for (size_t i = 0; i < sizeof(block); ++i) EXPECT_EQ(block[i], FakeHostTree::Pattern(0x1FF0 + i)) << i;
  const uint32_t dword = 0xA1B2C3D4;
  ASSERT_TRUE(hw.PhysicalWrite(0x3004, &dword, 4));
  EXPECT_EQ(tree_.Get("/dev/mem", 0x3004, 4), (std::vector<uint8_t>{0xD4, 0xC3, 0xB2, 0xA1}));

  // Past the end of what exists, and addresses no file offset can hold.
  EXPECT_FALSE(hw.PhysicalRead(0x3FF0, block, sizeof(block)));
  EXPECT_FALSE(hw.PhysicalRead(0x8000'0000'0000'0000ull, block, 4));
  EXPECT_FALSE(hw.PhysicalRead(0x1000, block, 0));

  // A kept mapping of an unaligned range: the handle addresses the first byte.
  const uint64_t unaligned = hw.PhysicalMap(0x1FFE, 0x10);
  const uint64_t aligned = hw.PhysicalMap(0x1000, 0x100);
  ASSERT_NE(unaligned, 0u);
  ASSERT_NE(aligned, 0u);
  EXPECT_NE(unaligned, aligned);
  const struct {
    uint64_t handle, address;
    uint32_t offset, length;
  } reads[] = {{unaligned, 0x1FFE, 0, 0x10}, {unaligned, 0x1FFE, 3, 5}, {aligned, 0x1000, 0x10, 0x20},
               {aligned, 0x1000, 0xFC, 4}};
  for (const auto& r : reads) {
    SCOPED_TRACE(r.offset);
    uint8_t out[0x20] = {};
    ASSERT_TRUE(hw.PhysicalReadMapped(r.handle, r.offset, out, r.length));
    for (uint32_t i = 0; i < r.length; ++i) EXPECT_EQ(out[i], FakeHostTree::Pattern(r.address + r.offset + i)) << i;
  }
  // The mapping reaches exactly as far as asked, and no further once released.
  EXPECT_FALSE(hw.PhysicalReadMapped(aligned, 0xFD, block, 4));
  EXPECT_FALSE(hw.PhysicalReadMapped(aligned + 1, 0, block, 4));
  hw.PhysicalUnmap(aligned, 0x100);
  EXPECT_FALSE(hw.PhysicalReadMapped(aligned, 0, block, 4));
  EXPECT_TRUE(hw.PhysicalReadMapped(unaligned, 0, block, 4));
  EXPECT_EQ(hw.PhysicalMap(0x1000, 0), 0u);
}

TEST_F(HostHardwareFakeTest, PciConfigThroughSysfsFiles) {
  tree_.Make("/sys/bus/pci/devices/0000:1a:1f.3/config", 256);
  plat::HostHardwareAccess hw(tree_.Options());
  ASSERT_TRUE(hw.Facilities().pciWritable);

  std::vector<uint8_t> buffer(256);
  ASSERT_EQ(hw.PciConfigRead(0x1A, 0x1F, 3, 0, buffer.data(), 256), 256u);
  EXPECT_EQ(buffer, tree_.Get("/sys/bus/pci/devices/0000:1a:1f.3/config", 0, 256));
  // The file (the visible configuration space) ends at 256: a short transfer.
  EXPECT_EQ(hw.PciConfigRead(0x1A, 0x1F, 3, 0xF0, buffer.data(), 0x20), 0x10u);
  EXPECT_EQ(buffer[0], FakeHostTree::Pattern(0xF0));
  EXPECT_EQ(hw.PciConfigRead(0x1A, 0x1F, 4, 0, buffer.data(), 4), 0u);
  EXPECT_EQ(hw.PciConfigRead(0x1F, 0x1A, 3, 0, buffer.data(), 4), 0u);

  const uint8_t command[2] = {0x07, 0x01};
  EXPECT_EQ(hw.PciConfigWrite(0x1A, 0x1F, 3, 0x04, command, 2), 2u);
  EXPECT_EQ(tree_.Get("/sys/bus/pci/devices/0000:1a:1f.3/config", 3, 4),
            (std::vector<uint8_t>{FakeHostTree::Pattern(3), 0x07, 0x01, FakeHostTree::Pattern(6)}));
  // Reads go through a descriptor kept from the first read: they see the write.
  ASSERT_EQ(hw.PciConfigRead(0x1A, 0x1F, 3, 0x04, buffer.data(), 2), 2u);
  EXPECT_EQ(buffer[0], 0x07);
  EXPECT_EQ(buffer[1], 0x01);
}

TEST_F(HostHardwareFakeTest, WithoutSysfsPciStaysUnavailable) {
  tree_.Make("/dev/port", 0x10000);
  plat::HostHardwareAccess hw(tree_.Options());
  const auto before = tree_.Get("/dev/port", 0xCF8, 8);
  uint8_t buffer[4] = {};
  EXPECT_EQ(hw.PciConfigRead(0, 0, 0, 0, buffer, 4), 0u);
  EXPECT_EQ(hw.PciConfigWrite(0, 0, 0, 0x40, buffer, 4), 0u);
  EXPECT_EQ(tree_.Get("/dev/port", 0xCF8, 8), before);
  const std::string line = LineOf(hw.Describe(), "PCI config");
  EXPECT_NE(line.find("not available"), std::string::npos) << line;
  EXPECT_NE(line.find("only through sysfs"), std::string::npos) << line;
}

TEST_F(HostHardwareFakeTest, DescribeNamesTheMissingPaths) {
  plat::HostHardwareAccess hw(tree_.Options());
  const std::string text = hw.Describe();
  EXPECT_EQ(LineOf(text, "ports"), "ports: not available: " + tree_.root + "/dev/port missing, iopl not used");
  EXPECT_EQ(LineOf(text, "MSR"), "MSR: not available: " + tree_.root + "/dev/cpu/0/msr missing");
  EXPECT_EQ(LineOf(text, "physical memory"), "physical memory: not available: " + tree_.root + "/dev/mem missing");
  EXPECT_NE(LineOf(text, "PCI config").find("not available: " + tree_.root + "/sys/bus/pci/devices missing"),
            std::string::npos);
  EXPECT_EQ(hw.Facilities().msr.error, ENOENT);

  tree_.Make("/dev/mem", 0x1000);
  tree_.Make("/dev/cpu/0/msr", 0);
  hw.Probe();
  const std::string now = hw.Describe();
  EXPECT_EQ(LineOf(now, "physical memory"), "physical memory: available: " + tree_.root + "/dev/mem (read-write)");
  EXPECT_EQ(LineOf(now, "MSR"), "MSR: available: " + tree_.root + "/dev/cpu/N/msr (read-write)");
}


// A display adapter's BAR is reached through its sysfs resource file, by
// accesses of their own width; other ranges stay on /dev/mem, and a
// non-display function's BAR is not taken this way.
TEST_F(HostHardwareFakeTest, DisplayAdapterBarsGoThroughTheirResourceFiles) {
  const std::string gpu = "/sys/bus/pci/devices/0000:03:00.0";
  const std::string nic = "/sys/bus/pci/devices/0000:05:00.0";
  auto text = [&](const std::string& path, const std::string& body) {
    tree_.Put(path, 0, body.data(), body.size());
  };
  text(gpu + "/class", "0x030000\n");
  text(gpu + "/resource",
       "0x00000000f0000000 0x00000000f0001fff 0x0000000000040200\n"
       "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
       "0x000000000000e000 0x000000000000e07f 0x0000000000040101\n");
  tree_.Make(gpu + "/resource0", 0x2000);
  text(nic + "/class", "0x020000\n");
  text(nic + "/resource", "0x00000000f8000000 0x00000000f8000fff 0x0000000000040200\n");
  tree_.Make(nic + "/resource0", 0x1000);
  tree_.Make("/dev/mem", 0x1000);
  plat::HostHardwareAccess hw(tree_.Options());

  uint32_t dword = 0;
  ASSERT_TRUE(hw.PhysicalRead(0xF0001010, &dword, 4));
  uint32_t expected = 0;
  for (int i = 3; i >= 0; --i) expected = expected << 8 | FakeHostTree::Pattern(0x1010 + i);
  EXPECT_EQ(dword, expected);
  // A byte write changes that byte only.
  const uint8_t byte = 0x57;
  ASSERT_TRUE(hw.PhysicalWrite(0xF00013D5, &byte, 1));
  EXPECT_EQ(tree_.Get(gpu + "/resource0", 0x13D4, 3),
            (std::vector<uint8_t>{FakeHostTree::Pattern(0x13D4), 0x57, FakeHostTree::Pattern(0x13D6)}));
  // A kept mapping inside the BAR.
  const uint64_t handle = hw.PhysicalMap(0xF0000E00, 0x100);
  ASSERT_NE(handle, 0u);
  ASSERT_TRUE(hw.PhysicalReadMapped(handle, 0x38, &dword, 4));
  expected = 0;
  for (int i = 3; i >= 0; --i) expected = expected << 8 | FakeHostTree::Pattern(0xE38 + i);
  EXPECT_EQ(dword, expected);
  hw.PhysicalUnmap(handle, 0x100);
  // Past the BAR's end, and another class's BAR: not through a resource
  // file (and nothing at those addresses in /dev/mem here).
  EXPECT_FALSE(hw.PhysicalRead(0xF0001FFE, &dword, 4));
  EXPECT_FALSE(hw.PhysicalRead(0xF8000000, &dword, 4));
  // Low memory is still /dev/mem.
  ASSERT_TRUE(hw.PhysicalRead(0x100, &dword, 1));
  EXPECT_EQ(dword & 0xFF, FakeHostTree::Pattern(0x100));
}

}  // namespace
