#include "sdk/systables/DmiBoardIdentity.h"

#include <cstdio>
#include <string>

#include "boardid/BoardHash.h"
#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/CDMIStructure.h"

BoardIdentity BoardIdentityFromDmi(const CDMIInterface* dmi) {
  BoardIdentity id{};
  std::snprintf(id.name, sizeof(id.name), "Mainboard");
  id.boardHash = -1;
  id.boardSum = -1;
  auto* board = dmi ? static_cast<CDMI_Baseboard*>(dmi->FindStructure(2)) : nullptr;
  if (!board || !board->product[0]) return id;
  // Bounded: a name longer than the field is cut, as any 8-bit name is.
  std::string name = std::string(board->manufacturer) + " " + board->product;
  std::snprintf(id.name, sizeof(id.name), "%s", name.c_str());
  id.boardHash = static_cast<int32_t>(sdk::BoardHash(board->product));
  id.boardSum = sdk::BoardSum(board->product);
  return id;
}
