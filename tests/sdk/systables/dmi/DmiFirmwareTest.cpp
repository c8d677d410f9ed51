// Finding the table in emulated firmware memory, start-up's board identity,
// and the emulated table checked against dmidecode.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "emu/firmware/SmbiosTable.h"
#include "boardid/BoardHash.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/StartupBoardIdentity.h"
#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/CDMIStructure.h"
#include "sdk/systables/DmiTable.h"
#include "platform/host/HostMachine.h"
#include "tests/sdk/systables/dmi/SmbiosBytes.h"
#include "tests/support/EmulatedSdk.h"

namespace {

TEST(DmiFirmware, FindsTheEntryPointAndTheBiosMakerInTheFirmwareArea) {
  testsupport::EmulatedSdk env("brenmor-x58");
  ASSERT_TRUE(env.Start());
  ASSERT_TRUE(env.Sdk().CreateDMIInterface());
  auto* dmi = static_cast<CDMIInterface*>(env.Sdk().FindInterface(INTERFACE_DMI));
  EXPECT_STREQ(dmi->Source(), "firmware");
  EXPECT_EQ(dmi->entry.tableAddress, emu::kSmbiosTableAddress);
  EXPECT_EQ(dmi->entry.revision, 0x26);
  EXPECT_STREQ(dmi->GetBiosMaker(), "American Megatrends");
  auto* board = static_cast<CDMI_Baseboard*>(dmi->FindStructure(2));
  ASSERT_NE(board, nullptr);
  EXPECT_STREQ(board->product, "Torvik X58 0E0011M=0011");
  auto* system = static_cast<CDMI_System*>(dmi->FindStructure(1));
  EXPECT_STREQ(system->productName, "Torvik X58 0E0011M=0011") << "the firmware's quotes are gone";
  EXPECT_FLOAT_EQ(static_cast<CDMI_Processor*>(dmi->FindStructure(4))->multiplier, 20.0f);
}

TEST(DmiFirmware, NoEntryPointMeansNoInterfaceAndAnUnnamedBoard) {
  testsupport::EmulatedSdk env;  // bare: RAM but no firmware tables
  env.machine->AddRam(0, 0x100000);
  ASSERT_TRUE(env.Start());
  CDMIInterface probe;
  EXPECT_EQ(probe.Load(), 0);
  BoardIdentity id = IdentifyBoard(env.Sdk(), env.Sdk().CreateDMIInterface() != 0);
  EXPECT_EQ(env.Sdk().FindInterface(INTERFACE_DMI), nullptr) << "a failed interface is not kept";
  EXPECT_STREQ(id.name, "Mainboard");
  EXPECT_EQ(id.boardHash, -1);
  EXPECT_EQ(id.boardSum, -1);
}

TEST(DmiFirmware, UnreadableFirmwareAreaFindsNothing) {
  testsupport::EmulatedSdk env;  // no RAM at all: the area reads all ones
  ASSERT_TRUE(env.Start());
  CDMIInterface probe;
  EXPECT_EQ(probe.Load(), 0);
}

TEST(DmiFirmware, HostWithoutFirmwareAccessReadsTheKernelsCopy) {
  const std::string root = "/tmp/torvik-dmi-sysfs-" + std::to_string(getpid());
  const std::string dir = root + "/sys/firmware/dmi/tables";
  ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
  std::vector<uint8_t> table;
  testsupport::AppendBaseboard(table, 1, 2, {"Maker", " From Kernel "});
  std::ofstream(dir + "/DMI", std::ios::binary)
      .write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
  plat::HostAccessOptions options;
  options.root = root;
  plat::SetCurrentMachine(std::make_shared<plat::HostMachine>(options));
  CDMIInterface dmi;  // no facade and no channel: the firmware area is out of reach
  int loaded = dmi.Load();
  plat::SetCurrentMachine(nullptr);
  std::system(("rm -rf " + root).c_str());
  ASSERT_EQ(loaded, 1);
  EXPECT_STREQ(dmi.Source(), "sysfs");
  EXPECT_STREQ(static_cast<CDMI_Baseboard*>(dmi.FindStructure(2))->product, "From Kernel");
}

// dmidecode's view of a dump: "Key: value" lines per handle section.
std::multimap<std::string, std::string> DmidecodeFields(const std::string& dumpPath, const char* type) {
  std::multimap<std::string, std::string> fields;
  std::string cmd = "dmidecode --from-dump " + dumpPath + " -t " + type + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return fields;
  char line[1024];
  while (std::fgets(line, sizeof(line), p)) {
    std::string s(line);
    if (s.empty() || s[0] != '\t') continue;
    s.erase(0, 1);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    size_t colon = s.find(": ");
    if (colon == std::string::npos) continue;
    fields.emplace(s.substr(0, colon), s.substr(colon + 2));
  }
  pclose(p);
  return fields;
}

std::string Cleaned(std::string s) {
  char buf[600];
  std::snprintf(buf, sizeof(buf), "%s", s.c_str());
  dmi::CleanString(buf);
  return buf;
}

TEST(DmiFirmware, EmulatedTableAgreesWithDmidecode) {
  if (std::system("command -v dmidecode >/dev/null 2>&1") != 0) GTEST_SKIP() << "dmidecode is not installed";
  testsupport::EmulatedSdk env("brenmor-z68");
  emu::SmbiosContent content = emu::BoardSmbios(*env.machine, "Intel(R) Core(TM) i7-2600K CPU @ 3.40GHz", 100, 3400, 4,
                                                4096);
  std::vector<uint8_t> dump = emu::BuildSmbiosDump(content);
  std::string path = "/tmp/torvik-dmi-" + std::to_string(getpid()) + ".bin";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(dump.data()),
                                              static_cast<std::streamsize>(dump.size()));
  CDMIInterface ours;
  ASSERT_TRUE(ours.LoadDump(dump.data(), dump.size()));

  auto board = DmidecodeFields(path, "2");
  auto system = DmidecodeFields(path, "1");
  auto cpu = DmidecodeFields(path, "4");
  auto memory = DmidecodeFields(path, "17");
  std::remove(path.c_str());
  ASSERT_FALSE(board.empty()) << "dmidecode did not accept the table";

  auto* b = static_cast<CDMI_Baseboard*>(ours.FindStructure(2));
  EXPECT_EQ(Cleaned(board.find("Product Name")->second), b->product);
  EXPECT_EQ(Cleaned(board.find("Manufacturer")->second), b->manufacturer);
  EXPECT_EQ(Cleaned(board.find("Serial Number")->second), b->serialNumber);
  auto* s = static_cast<CDMI_System*>(ours.FindStructure(1));
  EXPECT_EQ(Cleaned(system.find("Product Name")->second), s->productName);
  EXPECT_EQ(system.find("UUID")->second.size(), 36u);
  auto* p = static_cast<CDMI_Processor*>(ours.FindStructure(4));
  EXPECT_EQ(Cleaned(cpu.find("Version")->second), p->version);
  EXPECT_EQ(cpu.find("External Clock")->second, "100 MHz");
  EXPECT_EQ(cpu.find("Current Speed")->second, "3400 MHz");
  EXPECT_EQ(memory.count("Locator"), 4u);
  EXPECT_EQ(memory.find("Type")->second, "DDR3");
  EXPECT_EQ(memory.find("Locator")->second, static_cast<CDMI_MemoryDevice*>(ours.FindStructure(17))->deviceLocator);
}

}  // namespace
