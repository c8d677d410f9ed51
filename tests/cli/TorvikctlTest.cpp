// torvikctl as a user runs it: exit codes, refusals and what it prints.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/RunTorvikctl.h"

namespace {

using testsupport::CmdResult;

CmdResult Torvikctl(const std::string& args) { return testsupport::RunTorvikctl(args); }

TEST(TorvikctlTest, BadArgumentsPrintUsageAndExit2) {
  const char* cases[] = {"", "frobnicate", "--machine", "--machine emulated rdmsr", "--machine emulated rdmsr 0 zz",
                         "--machine emulated inb 0x10000", "--machine emulated rdpci 00:20.0 0",
                         "--machine emulated rdpci 00:1f.3 0x2.W.X", "--machine emulated outb 0x80 0x100",
                         "--machine emulated status extra", "--machine emulated dump 0 0",
                         // Numbers: range-checked, no blanks, no octal surprises, no wrap-around.
                         "--machine emulated rdmsr 4294967296 0xCE", "--machine emulated rdmsr 64 0xCE",
                         "--machine emulated --yes wrmsr 4294967296 0x1AD 0", "--machine emulated inb ' 0x80'",
                         "--machine emulated inb +8", "--machine emulated inb 0x", "--machine emulated inb 8x",
                         "--machine emulated --yes wrpci 100000000:1f.3 0x40.B 5",
                         "--machine emulated rdpci 00:1f.13 0", "--machine emulated rdpci 100:1f.3 0",
                         "--machine emulated dump 0xFFFFFFFFFFFFFFF0 0x20",
                         // turbo: every argument before any write.
                         "--machine emulated --yes turbo 30 30 30 30 30 30 30", "--machine emulated --yes turbo on x",
                         "--machine emulated --yes turbo on 1", "--machine emulated --yes turbo 0",
                         // A machine that does not exist is a bad argument too.
                         "--machine nowhere status", "--machine emulated:nosuch status",
                         "--machine emulated: status", "--machine emulated:nope status",
                         "--machine emulated --load-dump nofile status",
                         // A blank and a sign would make strtoull wrap to all ones.
                         "--machine emulated --yes wrmsr 0 0x1AD ' -1'", "--machine emulated inb +0x80",
                         // The program's own decoding of a saved table takes only a whole command.
                         "dmi --from-dump", "dmi --from-dump --json", "--json dmi --from-dump x y"};
  for (const char* c : cases) {
    CmdResult r = Torvikctl(c);
    EXPECT_EQ(r.status, 2) << c << "\n" << r.out;
    EXPECT_NE(r.out.find("usage"), std::string::npos) << c;
  }
  // Checked before the machine is reached: the same on a host without access.
  for (const char* c : {"--machine host rdmsr 4294967296 0", "--machine host --yes turbo 1 2 3 4 5 6 7"})
    EXPECT_EQ(Torvikctl(c).status, 2) << c;
  // A leading zero is decimal: MSR 0316 is 316 (not implemented), never 0xCE.
  EXPECT_EQ(Torvikctl("--machine emulated rdmsr 0 0316").status, 1);
  EXPECT_EQ(Torvikctl("--machine emulated rdmsr 00 0xCE").status, 0);
}

TEST(TorvikctlTest, StatusAndRegistersOnTheEmulatedBoard) {
  CmdResult status = Torvikctl("--machine emulated --json status");
  ASSERT_EQ(status.status, 0) << status.out;
  EXPECT_NE(status.out.find("\"driverVersion\":\"0x135\""), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("\"emulated\":true"), std::string::npos);
  CmdResult text = Torvikctl("--machine emulated status");
  EXPECT_NE(text.out.find("EMULATED"), std::string::npos) << "emulated readings are marked as such";

  CmdResult msr = Torvikctl("--machine emulated rdmsr 0 0xCE");
  ASSERT_EQ(msr.status, 0) << msr.out;
  EXPECT_EQ(msr.out, "0x00000C0000001400\n");
  EXPECT_EQ(Torvikctl("--machine emulated rdmsr 9 0xCE").status, 1) << "no such processor";
  EXPECT_EQ(Torvikctl("--machine emulated rdmsr 0 0x12345").status, 1) << "unimplemented MSR";
  EXPECT_EQ(Torvikctl("--machine emulated --json rdpci 00:1f.3 0.W").out, "{\"value\":\"0x8086\"}\n");
  CmdResult machines = Torvikctl("--json machines");
  EXPECT_NE(machines.out.find("\"boardId\":\"0x27F0AF90\""), std::string::npos) << machines.out;
}

TEST(TorvikctlTest, WritesNeedYesAndReportTheChange) {
  CmdResult refused = Torvikctl("--machine emulated wrmsr 0 0x1AD 0x16161617");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("--yes"), std::string::npos);
  CmdResult done = Torvikctl("--machine emulated --yes wrmsr 0 0x1AD 0x16161617");
  EXPECT_EQ(done.status, 0) << done.out;
  EXPECT_NE(done.out.find("0x0000000015151516 -> 0x0000000016161617"), std::string::npos) << done.out;
  CmdResult readOnly = Torvikctl("--machine emulated --yes wrmsr 0 0xCE 0");
  EXPECT_EQ(readOnly.status, 1);
  EXPECT_NE(readOnly.out.find("failed"), std::string::npos);
  CmdResult turbo = Torvikctl("--machine emulated --yes turbo on 20 19");
  EXPECT_EQ(turbo.status, 0) << turbo.out;
  EXPECT_NE(turbo.out.find("Ratio limits (1..6 active cores): 20 19 "), std::string::npos) << turbo.out;
  CmdResult unasked = Torvikctl("--machine emulated turbo 20");
  EXPECT_EQ(unasked.status, 1) << unasked.out;
  EXPECT_NE(unasked.out.find("--yes"), std::string::npos);
  CmdResult pci = Torvikctl("--machine emulated --yes wrpci 00:1f.3 0x40.B 0x5");
  EXPECT_EQ(pci.status, 0) << pci.out;
  EXPECT_NE(pci.out.find("0x01 -> 0x05"), std::string::npos) << pci.out;
}

TEST(TorvikctlTest, HostEitherOpensOrSaysWhy) {
  CmdResult r = Torvikctl("--machine host status");
  if (r.status == 0) {
    EXPECT_NE(r.out.find("driver version: 0x135"), std::string::npos) << r.out;
  } else {
    EXPECT_NE(r.out.find("Error during driver initialization"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("--machine emulated"), std::string::npos) << r.out;
  }
  // Either way the route of each bus is named: PCI configuration through
  // sysfs, SMBus hosts through their kernel driver or their registers, and
  // the ports kernel drivers hold.
  EXPECT_NE(r.out.find("PCI config route: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ports held by kernel drivers (refused): "), std::string::npos) << r.out;
}

// Started by an ordinary user, torvikctl names the facilities the kernel
// keeps for root and says how to get them.
TEST(TorvikctlTest, WithoutRootNamesTheFacilitiesThatNeedRoot) {
  if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "needs root and setpriv to drop it";
  char dir[] = "/tmp/torvik-user-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  ASSERT_EQ(chown(dir, 65534, 65534), 0);
  CmdResult r = testsupport::RunTorvikctl("--machine host status", std::string("XDG_RUNTIME_DIR=") + dir +
                                                                         " setpriv --reuid=65534 --regid=65534 --clear-groups");
  std::system((std::string("rm -rf ") + dir).c_str());
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("torvikctl needs root for the host's hardware: run it with sudo"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("root: needed for I/O ports (/dev/port, iopl), MSRs (/dev/cpu/N/msr) and physical memory "
                       "(/dev/mem); this process runs as uid 65534\n"),
            std::string::npos)
      << r.out;
}

// Output of a shell command; empty when it cannot run.
std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TorvikctlTest, HostProcessorsAgreeWithLscpu) {
  if (Shell("command -v lscpu").empty()) GTEST_SKIP() << "lscpu is not installed";
  // CPU,Core,Socket of every online logical processor.
  std::set<std::string> sockets, cores;
  size_t threads = 0;
  std::istringstream rows(Shell("lscpu -p=CPU,CORE,SOCKET"));
  for (std::string line; std::getline(rows, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find(','), b = line.find(',', a + 1);
    ASSERT_NE(b, std::string::npos) << line;
    ++threads;
    sockets.insert(line.substr(b + 1));
    cores.insert(line.substr(b + 1) + "/" + line.substr(a + 1, b - a - 1));
  }
  ASSERT_GT(threads, 0u);

  // Every field of the listing has a value: no empty name, no brand-string
  // padding.
  CmdResult text = Torvikctl("--machine host cpu");
  ASSERT_EQ(text.status, 0) << text.out;
  std::istringstream lines(text.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    EXPECT_NE(line.back(), ' ') << line;
    EXPECT_NE(line.back(), ':') << line;
  }

  CmdResult cpu = Torvikctl("--machine host --json cpu");
  ASSERT_EQ(cpu.status, 0) << cpu.out;
  EXPECT_EQ(Count(cpu.out, "\"packageId\""), sockets.size()) << cpu.out;
  EXPECT_EQ(Count(cpu.out, "\"coreId\""), cores.size()) << cpu.out;
  EXPECT_EQ(Count(cpu.out, "\"apicId\""), threads) << cpu.out;
  // Each logical processor's APIC id as the kernel gives it.
  std::istringstream cpuinfo(Shell("cat /proc/cpuinfo"));
  std::string processor;
  for (std::string line; std::getline(cpuinfo, line);) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = line.substr(0, line.find_first_of(" \t:"));
    const std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    if (key == "processor") processor = value;
    if (key == "apicid") {
      EXPECT_NE(cpu.out.find("{\"logical\":" + processor + ",\"apicId\":" + value + "}"), std::string::npos)
          << line << "\n" << cpu.out;
    }
  }

  // Every cache lscpu lists, with its size and its instances per package.
  std::istringstream caches(Shell("lscpu -C=LEVEL,TYPE,ONE-SIZE,ALL-SIZE -B"));
  std::string header;
  std::getline(caches, header);
  for (std::string line; std::getline(caches, line);) {
    std::istringstream f(line);
    int level = 0;
    std::string type;
    unsigned long long one = 0, all = 0;
    if (!(f >> level >> type >> one >> all) || one == 0) continue;
    for (char& c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const unsigned long long instances = all / one / sockets.size();
    const std::string expected = "\"level\":" + std::to_string(level) + ",\"type\":\"" + type +
                                 "\",\"sizeKB\":" + std::to_string(one / 1024) +
                                 ",\"instances\":" + std::to_string(instances);
    EXPECT_NE(cpu.out.find(expected), std::string::npos) << line << "\n" << cpu.out;
  }
}

TEST(TorvikctlTest, SandyBridgeTurboRatioOnTheZ68AndX79Boards) {
  // The client part keeps the ratio in the host bridge's MCHBAR window, the
  // X79 part in its power control unit's configuration space (ff:0a.0).
  for (const char* board : {"brenmor-z68", "brenmor-x79"}) {
    const std::string machine = std::string("--machine emulated:") + board;
    CmdResult shown = Torvikctl(machine + " turbo");
    ASSERT_EQ(shown.status, 0) << board << "\n" << shown.out;
    EXPECT_NE(shown.out.find("Turbo: on"), std::string::npos) << board << "\n" << shown.out;
    EXPECT_NE(shown.out.find("cores): 38 38 38 38 38 38"), std::string::npos) << board << "\n" << shown.out;
    CmdResult set = Torvikctl(machine + " --yes turbo 40");
    ASSERT_EQ(set.status, 0) << board << "\n" << set.out;
    EXPECT_NE(set.out.find("cores): 40 40 40 40 40 40"), std::string::npos) << board << "\n" << set.out;
  }
}

TEST(TorvikctlTest, CpuShowsTheLinkClockBusAndRatioRange) {
  struct Row {
    const char* board;
    const char* link;    // text line
    const char* json;    // the link object as --json prints it
  } rows[] = {
      {"brenmor-x58", "QPI Link: 2400.", "\"link\":{\"label\":\"QPI Link\",\"ratio\":18,"},
      {"kestrel-am3", "HT Link: 2000.", "\"link\":{\"label\":\"HT Link\",\"ratio\":10,"},
      {"brenmor-p67", nullptr, "\"link\":null"},
  };
  for (const Row& r : rows) {
    const std::string machine = std::string("--machine emulated:") + r.board + " --virtual-time ";
    CmdResult text = Torvikctl(machine + "cpu");
    ASSERT_EQ(text.status, 0) << r.board << "\n" << text.out;
    if (r.link) {
      EXPECT_NE(text.out.find(r.link), std::string::npos) << r.board << "\n" << text.out;
    }
    EXPECT_NE(text.out.find("Ratio range: "), std::string::npos) << r.board << "\n" << text.out;
    CmdResult json = Torvikctl(machine + "--json cpu");
    ASSERT_EQ(json.status, 0) << r.board;
    EXPECT_NE(json.out.find(r.json), std::string::npos) << r.board << "\n" << json.out;
  }
  // The registers the identification read, from the SDK's cache.
  CmdResult x58 = Torvikctl("--machine emulated:brenmor-x58 --virtual-time --json cpu");
  EXPECT_NE(x58.out.find("\"msrs\":{\"0x17\":\"0x"), std::string::npos) << x58.out;
  EXPECT_NE(x58.out.find("\"0xCE\":\"0x"), std::string::npos) << x58.out;
  CmdResult am3 = Torvikctl("--machine emulated:kestrel-am3 --virtual-time cpu");
  EXPECT_NE(am3.out.find("Nominal bus clock: 200.00 MHz"), std::string::npos) << am3.out;
  EXPECT_NE(am3.out.find("P-state 0: ratio 16.0, VID 1.3500 V"), std::string::npos) << am3.out;
}

// The program copied without its command library: a saved table is still
// decoded, every other command fails and names the library it looked for.
TEST(TorvikctlTest, WithoutItsCommandLibraryOnlyASavedTableIsAnswered) {
  char dir[] = "/tmp/torvikctl-alone-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string bin = std::string(dir) + "/bin";
  ASSERT_EQ(mkdir(bin.c_str(), 0700), 0);
  ASSERT_EQ(std::system(("cp " TORVIKCTL " " + bin + "/torvikctl").c_str()), 0);
  {
    std::FILE* f = std::fopen((std::string(dir) + "/table.bin").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("not a table", f);
    std::fclose(f);
  }
  auto run = [&](const std::string& args) {
    CmdResult r{-1, {}};
    std::FILE* p = popen((bin + "/torvikctl " + args + " 2>&1").c_str(), "r");
    char buf[4096];
    for (size_t n; p && (n = std::fread(buf, 1, sizeof(buf), p)) > 0;) r.out.append(buf, n);
    const int st = p ? pclose(p) : -1;
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
  };
  const CmdResult status = run("--machine emulated status");
  EXPECT_EQ(status.status, 1) << status.out;
  EXPECT_NE(status.out.find("cannot load its commands from " + bin + "/../lib/"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("/torviktune/libtorvikctl.so: "), std::string::npos) << status.out;
  const CmdResult table = run("dmi --from-dump " + std::string(dir) + "/table.bin");
  EXPECT_EQ(table.status, 1) << table.out;
  EXPECT_NE(table.out.find("is not an SMBIOS dump"), std::string::npos) << table.out;
  std::system(("rm -rf " + std::string(dir)).c_str());
}

}  // namespace
