// Emulated boards are descriptions: identity, and a build function that
// assembles the board's chips, processors and memory on a machine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emu/TimeBase.h"

namespace emu {

class EmulatedMachine;

struct BoardDescription {
  const char* name;      // what --machine emulated:<name> takes
  const char* maker;     // SMBIOS baseboard manufacturer
  const char* product;   // SMBIOS baseboard product; hashes to boardId
  uint32_t boardId;      // the board id the board tables key on
  const char* group;     // the vendor board group, or "other"
  const char* summary;   // one line for listings
  void (*build)(EmulatedMachine& machine);
};

// The catalogue; the first board is the default.
const std::vector<const BoardDescription*>& Boards();
const BoardDescription* FindBoard(const std::string& name);

// Builds the machine of a board. Returns null with `error` set for an
// unknown board name.
std::shared_ptr<EmulatedMachine> BuildBoard(const std::string& name, TimeBase::Mode mode, std::string* error);

}  // namespace emu
