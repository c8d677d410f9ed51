// The emulated chips of a machine that a register dump can be loaded into,
// by name ("f71882f", "nct7802@0x2d"), and the dumps asked for on the
// command line before the machine exists (like the kernel's i2c-stub, a
// chip loaded from a dump answers with the dump's bytes).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace emu {

class EmulatedMachine;
struct RegisterDump;

// Boards register their monitoring chips while they are built. The chip is
// held weakly: the entry dies with the machine. `load` refuses a dump the
// chip cannot replay, saying why.
using DumpLoadFn = std::function<bool(const RegisterDump&, std::string*)>;
void RegisterDumpTarget(EmulatedMachine& m, const std::string& name, std::shared_ptr<void> chip, DumpLoadFn load);

// The same for a chip with LoadDump(dump, error).
template <typename Chip>
void RegisterDumpChip(EmulatedMachine& m, const std::string& name, const std::shared_ptr<Chip>& chip) {
  std::weak_ptr<Chip> weak = chip;
  RegisterDumpTarget(m, name, chip, [weak](const RegisterDump& d, std::string* error) {
    auto c = weak.lock();
    return c && c->LoadDump(d, error);
  });
}
// The chip registered under `name` (case-insensitive), or null.
std::shared_ptr<void> FindDumpTarget(EmulatedMachine& m, const std::string& name);
std::vector<std::string> DumpTargetNames(EmulatedMachine& m);
// False with `error` listing the machine's chip names when `name` is unknown.
bool LoadDumpInto(EmulatedMachine& m, const std::string& name, const RegisterDump& dump, std::string* error);

// "CHIP=FILE": reads and checks the dump now (a malformed file fails here,
// with the line in `error`) and keeps it for the next machine built.
bool RequestDumpLoad(const std::string& chipEqualsFile, std::string* error);
bool HasRequestedDumps();
// Loads the requested dumps into `m` and forgets them.
bool ApplyRequestedDumps(EmulatedMachine& m, std::string* error);
void ClearRequestedDumps();

}  // namespace emu
