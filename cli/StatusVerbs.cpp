// machines, status
#include <cstdio>

#include "cli/Json.h"
#include "cli/Printable.h"
#include "cli/Verbs.h"
#include "driver/DriverEndpoint.h"
#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/DumpTargets.h"
#include "platform/Machine.h"
#include "sdk/core/CDevice.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

namespace {

// The chips of the selected emulated board that --load-dump takes, one a
// line (for shell completion and for people writing dumps).
int DumpChips(const GlobalOptions& options) {
  const std::string prefix = "emulated";
  if (options.machine.rfind(prefix, 0) != 0) {
    std::fprintf(stderr, "torvikctl: machines --chips lists an emulated board's chips: give --machine emulated[:BOARD]\n");
    return kExitUsage;
  }
  const std::string board = options.machine.size() > prefix.size() ? options.machine.substr(prefix.size() + 1) : "";
  std::string error;
  auto machine = emu::BuildBoard(board, emu::TimeBase::Mode::Virtual, &error);
  if (!machine) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return kExitFailed;
  }
  for (const std::string& name : emu::DumpTargetNames(*machine)) std::printf("%s\n", name.c_str());
  return kExitOk;
}

int Machines(Session& session, const Args& args) {
  if (args.size() == 1 && args[0] == "--chips") return DumpChips(session.Options());
  if (!args.empty()) return Usage(*FindVerb("machines"));
  if (session.Options().json) {
    Json j;
    j.BeginArray();
    j.BeginObject().Key("machine").String("host").Key("product").Null().Key("boardId").Null().EndObject();
    for (const auto* b : emu::Boards()) {
      j.BeginObject()
          .Key("machine")
          .String(std::string("emulated:") + b->name)
          .Key("maker")
          .String(b->maker)
          .Key("product")
          .String(b->product)
          .Key("boardId")
          .Hex(b->boardId, 8)
          .Key("group")
          .String(b->group)
          .Key("summary")
          .String(b->summary)
          .EndObject();
    }
    j.EndArray();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  std::printf("%-28s %-28s %-10s %-9s %s\n", "MACHINE", "PRODUCT", "BOARD ID", "GROUP", "DESCRIPTION");
  std::printf("%-28s %-28s %-10s %-9s %s\n", "host", "-", "-", "-", "this computer, through the kernel's facilities");
  for (const auto* b : emu::Boards())
    std::printf("%-28s %-28s 0x%08X %-9s %s\n", (std::string("emulated:") + b->name).c_str(), b->product, b->boardId,
                b->group, b->summary);
  return kExitOk;
}

const char* InterfaceName(uint32_t type) {
  switch (type) {
    case INTERFACE_PCI: return "PCI";
    case INTERFACE_SMBUS: return "SMBus";
    case INTERFACE_ACPI: return "ACPI";
    case INTERFACE_CPU: return "Processors";
    case INTERFACE_DISPLAY: return "Graphics";
    case INTERFACE_PLL: return "PLL";
    case INTERFACE_HARDWARE_MONITOR: return "Hardware Monitoring";
    case INTERFACE_CHIPSET: return "Chipset";
    case INTERFACE_DMI: return "DMI";
    case INTERFACE_WMI: return "WMI";
    default: return "?";
  }
}

int Status(Session& session, const Args& args) {
  if (!args.empty()) return Usage(*FindVerb("status"));
  if (!session.StartSdk()) return kExitFailed;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  plat::Machine& machine = plat::CurrentMachine();
  CMainboard* board = sdk->GetMainboard();
  const std::string facilities = machine.DriverService().Describe();
  if (session.Options().json) {
    Json j;
    j.BeginObject().Key("machine").String(machine.Name()).Key("emulated").Bool(machine.IsEmulated());
    j.Key("driverVersion").Hex(session.DriverVersion(), 3);
    j.Key("facilities").String(facilities);
    j.Key("interfaces").BeginArray();
    for (CInterface* i : Items(sdk->GetInterfaces()))
      j.BeginObject().Key("type").Hex(i->type, 4).Key("name").String(InterfaceName(i->type)).EndObject();
    j.EndArray();
    j.Key("board").BeginObject();
    j.Key("name").String(board ? board->name : "");
    j.Key("boardId").Hex(static_cast<uint32_t>(board ? board->boardHash : -1), 8);
    j.Key("boardSum").Hex(static_cast<uint32_t>(board ? board->boardSum : -1), 8);
    j.EndObject();
    j.Key("processors").Int(machine.ProcessorCount());
    j.Key("devices").Int(sdk->GetDevices()->count).Key("sensors").Int(sdk->GetSensors()->count);
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
    return kExitOk;
  }
  std::printf("machine:        %s%s\n", machine.Name().c_str(),
              machine.IsEmulated() ? "  (EMULATED: readings are not this computer's)" : "");
  std::printf("driver version: 0x%X\n", session.DriverVersion());
  std::printf("facilities:\n");
  size_t start = 0;
  while (start < facilities.size()) {
    size_t end = facilities.find('\n', start);
    if (end == std::string::npos) end = facilities.size();
    std::printf("  %s\n", facilities.substr(start, end - start).c_str());
    start = end + 1;
  }
  std::printf("interfaces:    ");
  if (!sdk->GetInterfaces()->count) std::printf(" none");
  for (CInterface* i : Items(sdk->GetInterfaces())) std::printf(" %s(0x%X)", InterfaceName(i->type), i->type);
  std::printf("\n");
  std::printf("board:          %s, id 0x%08X, checksum 0x%08X\n", Printable(board ? board->name : "-").c_str(),
              static_cast<uint32_t>(board ? board->boardHash : -1), static_cast<uint32_t>(board ? board->boardSum : -1));
  std::printf("processors:     %d logical\n", machine.ProcessorCount());
  std::printf("devices:        %d, sensors: %d\n", sdk->GetDevices()->count, sdk->GetSensors()->count);
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& StatusVerbs() {
  static const std::vector<Verb> verbs = {
      {"machines", "[--chips]", "list the machines --machine accepts (--chips: the board's --load-dump chips)", &Machines},
      {"status", "", "machine, driver, interfaces and board identity", &Status},
  };
  return verbs;
}

}  // namespace cli
