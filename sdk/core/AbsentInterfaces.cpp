// Interfaces whose domains are not part of this build yet: their creation
// finds nothing, so the start-up sequence simply goes on without them.
// Each domain replaces its line here with its own creation routine.
#include "sdk/core/QUARNSDK.h"

int QUARNSDK::CreateDisplayInterface(uint32_t) { return 0; }
