// The hand-held device's feed of the polling cycle: the values the last
// refresh left in the SDK (processor clock and core temperatures from the
// processor interface, board temperatures and core voltages from the
// monitoring sensors), sent to every device found.
#pragma once

#include <vector>

#include "sdk/zundo/CZundo.h"

class QUARNSDK;

// The values of a feed as the SDK holds them now; -1 where there is none.
ZundoValues GatherZundoValues(QUARNSDK& sdk);
// One feed: gather, find the devices, write. Runs under the hardware lock.
std::vector<ZundoFeedReport> FeedZundo(QUARNSDK& sdk);
