#include <sstream>

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"

namespace emu {

namespace boards {
extern const BoardDescription kBrenmorX58;
extern const BoardDescription kBrenmorP45;
extern const BoardDescription kBrenmorP55;
extern const BoardDescription kBrenmorZ68;
extern const BoardDescription kBrenmorX79;
extern const BoardDescription kBrenmorX79Silego;
extern const BoardDescription kBrenmorP67;
extern const BoardDescription kBrenmorZ77;
extern const BoardDescription kBrenmor5520DP;
extern const BoardDescription kKestrelX38;
extern const BoardDescription kKestrelAm3;
}  // namespace boards

const std::vector<const BoardDescription*>& Boards() {
  static const std::vector<const BoardDescription*> list = {
      &boards::kBrenmorX58,    &boards::kBrenmorP45, &boards::kBrenmorP55,    &boards::kBrenmorZ68,
      &boards::kBrenmorX79,    &boards::kBrenmor5520DP, &boards::kKestrelX38, &boards::kKestrelAm3,
      &boards::kBrenmorP67,    &boards::kBrenmorZ77,    &boards::kBrenmorX79Silego,
  };
  return list;
}

const BoardDescription* FindBoard(const std::string& name) {
  for (const auto* b : Boards())
    if (name == b->name) return b;
  return nullptr;
}

std::shared_ptr<EmulatedMachine> BuildBoard(const std::string& name, TimeBase::Mode mode, std::string* error) {
  const BoardDescription* board = name.empty() ? Boards().front() : FindBoard(name);
  if (!board) {
    if (error) {
      std::ostringstream s;
      s << "unknown emulated board '" << name << "'; boards:";
      for (const auto* b : Boards()) s << ' ' << b->name;
      *error = s.str();
    }
    return nullptr;
  }
  auto machine = std::make_shared<EmulatedMachine>(mode, board->name);
  machine->SetBoard(board);
  board->build(*machine);
  return machine;
}

}  // namespace emu
