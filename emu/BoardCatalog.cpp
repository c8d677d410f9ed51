#include <algorithm>
#include <sstream>
#include <tuple>

#include "emu/BoardDescription.h"
#include "emu/EmulatedMachine.h"

namespace emu {

// Every board file under boards/ defines one description; the build lists
// them in BoardList.inc.
namespace boards {
#define TORVIK_BOARD(symbol) extern const BoardDescription symbol;
#include "BoardList.inc"
#undef TORVIK_BOARD
}  // namespace boards

namespace {

// The board a bare --machine emulated starts.
constexpr const char* kDefaultBoard = "brenmor-x58";

}  // namespace

const std::vector<const BoardDescription*>& Boards() {
  static const std::vector<const BoardDescription*> list = [] {
    std::vector<const BoardDescription*> boards = {
#define TORVIK_BOARD(symbol) &boards::symbol,
#include "BoardList.inc"
#undef TORVIK_BOARD
    };
    // The default board first, then the vendor's boards, then other makers',
    // each by name.
    auto rank = [](const BoardDescription* b) {
      return std::make_tuple(std::string(b->name) != kDefaultBoard, std::string(b->maker) != "Brenmor",
                             std::string(b->name));
    };
    std::sort(boards.begin(), boards.end(), [&](auto* a, auto* b) { return rank(a) < rank(b); });
    return boards;
  }();
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
