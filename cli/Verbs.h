// The commands of torvikctl. Each verb file adds its commands to the table.
#pragma once

#include <string>
#include <vector>

#include "cli/CliSession.h"

namespace cli {

using Args = std::vector<std::string>;

struct Verb {
  const char* name;
  const char* usage;  // arguments after the verb
  const char* help;
  int (*run)(Session& session, const Args& args);
};

// Prints "usage: torvikctl <verb> <usage>" and returns kExitUsage.
int Usage(const Verb& verb);
const Verb* FindVerb(const std::string& name);
// Every command, table by table, in the order --help lists them.
const std::vector<const std::vector<Verb>*>& VerbTables();

const std::vector<Verb>& StatusVerbs();
const std::vector<Verb>& LowLevelVerbs();
const std::vector<Verb>& DmiVerbs();
const std::vector<Verb>& PciVerbs();
const std::vector<Verb>& CpuVerbs();
const std::vector<Verb>& SmbusVerbs();
const std::vector<Verb>& SuperioVerbs();
const std::vector<Verb>& MonitorVerbs();
const std::vector<Verb>& SensorVerbs();
const std::vector<Verb>& VoltVerbs();
const std::vector<Verb>& ClockVerbs();
const std::vector<Verb>& MemoryVerbs();
const std::vector<Verb>& GpuVerbs();
const std::vector<Verb>& ProfileVerbs();
const std::vector<Verb>& RulesVerbs();
const std::vector<Verb>& ZundoVerbs();
const std::vector<Verb>& ValidateVerbs();

}  // namespace cli
