#include "machines/MachineSelect.h"

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/DumpTargets.h"
#include "platform/host/HostMachine.h"

namespace machines {

std::shared_ptr<plat::Machine> CreateMachine(const std::string& spec, std::string* error, TimeBase::Mode mode) {
  if (spec == "host") return std::make_shared<plat::HostMachine>();
  const std::string prefix = "emulated";
  if (spec.compare(0, prefix.size(), prefix) == 0) {
    std::string board;
    if (spec.size() > prefix.size()) {
      if (spec[prefix.size()] != ':') {
        if (error) *error = "unknown machine '" + spec + "' (use host or emulated[:BOARD])";
        return nullptr;
      }
      board = spec.substr(prefix.size() + 1);
    }
    auto machine = emu::BuildBoard(board, mode, error);
    if (machine && !emu::ApplyRequestedDumps(*machine, error)) return nullptr;
    return machine;
  }
  if (error) *error = "unknown machine '" + spec + "' (use host or emulated[:BOARD])";
  return nullptr;
}

bool SelectMachine(const std::string& spec, std::string* error, TimeBase::Mode mode) {
  auto machine = CreateMachine(spec, error, mode);
  if (!machine) return false;
  plat::SetCurrentMachine(std::move(machine));
  return true;
}

}  // namespace machines
