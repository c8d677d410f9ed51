// Finds a printable baseboard product string whose board hash is a given
// board id, so that an emulated board can carry a product string that the
// board tables recognise. Only the last dozen or so characters of a string
// reach its hash, so a readable prefix is kept and a short code appended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace emu {

// Returns prefix + suffix with BoardHash(result) == boardId, the suffix made
// of upper-case letters and digits (at most 8 of them), or nothing when no
// such suffix exists.
std::optional<std::string> FindProductForBoardId(uint32_t boardId, const std::string& prefix);

}  // namespace emu
