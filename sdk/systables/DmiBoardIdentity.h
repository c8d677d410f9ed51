// The board's identity as the SMBIOS baseboard structure gives it: the name
// shown, and the id and checksum profiles and board tables are keyed by.
#pragma once

#include <cstdint>

class CDMIInterface;

struct BoardIdentity {
  char name[256];
  int32_t boardHash;  // -1 without a baseboard product string
  int32_t boardSum;
};

// "Mainboard" and -1 without a table or a baseboard product; `dmi` may be
// null.
BoardIdentity BoardIdentityFromDmi(const CDMIInterface* dmi);
