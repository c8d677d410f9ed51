// Choosing the machine a program runs on: "host" or "emulated[:BOARD]".
#pragma once

#include <memory>
#include <string>

#include "emu/TimeBase.h"
#include "platform/Machine.h"

namespace machines {

using emu::TimeBase;

// Builds the machine named by `spec`. Emulated machines run on real time
// unless `mode` says otherwise. Null with `error` set for a bad spec.
std::shared_ptr<plat::Machine> CreateMachine(const std::string& spec, std::string* error,
                                             TimeBase::Mode mode = TimeBase::Mode::Real);

// Creates the machine and makes it the current one.
bool SelectMachine(const std::string& spec, std::string* error, TimeBase::Mode mode = TimeBase::Mode::Real);

}  // namespace machines
