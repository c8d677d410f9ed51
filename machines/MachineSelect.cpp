#include "machines/MachineSelect.h"

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"
#include "emu/chips/DumpTargets.h"
#include "platform/LockFiles.h"
#include "platform/host/HostMachine.h"

namespace machines {

namespace {

// Splits "emulated[:BOARD]"; false for anything else but "host".
bool ParseSpec(const std::string& spec, bool* emulated, std::string* board, std::string* error) {
  *emulated = false;
  board->clear();
  if (spec == "host") return true;
  const std::string prefix = "emulated";
  if (spec.compare(0, prefix.size(), prefix) == 0 && (spec.size() == prefix.size() || spec[prefix.size()] == ':')) {
    *emulated = true;
    if (spec.size() == prefix.size()) return true;
    *board = spec.substr(prefix.size() + 1);
    if (!board->empty()) return true;
    if (error) *error = "no board named after 'emulated:' (see 'torvikctl machines')";
    return false;
  }
  if (error) *error = "unknown machine '" + spec + "' (use host or emulated[:BOARD])";
  return false;
}

}  // namespace

bool MachineSpecValid(const std::string& spec, std::string* error) {
  bool emulated = false;
  std::string board;
  if (!ParseSpec(spec, &emulated, &board, error)) return false;
  if (!emulated || board.empty() || emu::FindBoard(board)) return true;
  if (error) {
    *error = "unknown emulated board '" + board + "'; boards:";
    for (const auto* b : emu::Boards()) *error += " " + std::string(b->name);
  }
  return false;
}

std::shared_ptr<plat::Machine> CreateMachine(const std::string& spec, std::string* error, TimeBase::Mode mode) {
  bool emulated = false;
  std::string board;
  if (!ParseSpec(spec, &emulated, &board, error)) return nullptr;
  if (!emulated) return std::make_shared<plat::HostMachine>();
  auto machine = emu::BuildBoard(board, mode, error);
  if (machine && !emu::ApplyRequestedDumps(*machine, error)) return nullptr;
  return machine;
}

bool SelectMachine(const std::string& spec, std::string* error, TimeBase::Mode mode) {
  auto machine = CreateMachine(spec, error, mode);
  if (!machine) return false;
  // An emulated run never meets real programs on the machine-wide locks.
  plat::SetLockScope(machine->IsEmulated() ? plat::LockScope::User : plat::LockScope::System);
  plat::SetCurrentMachine(std::move(machine));
  return true;
}

}  // namespace machines
