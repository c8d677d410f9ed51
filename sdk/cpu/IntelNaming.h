// Names, code names, packages, revisions and process sizes of the Intel
// generations the vendor's boards carry, as tables keyed like the makers'
// published model lists.
#pragma once

#include <cstdint>

class CCPUThread;
struct RatedFrequencyRow;

// Matches any value in a naming row.
inline constexpr int kAny = -1;

// One model number: discriminators (kAny / null = any) and the text.
struct ModelNumberRow {
  int ratedMHz;           // 0 ends the table
  const char* brandWord;  // must occur in the brand string
  int cacheKB;            // one instance of the last-level cache (L3, else L2)
  int tdp;
  int cores;
  int unlocked;
  const char* suffix;     // appended to the name; "%d" rows use `number`
  int number;
  int linkRatio = kAny;   // QPI / HyperTransport link multiplier
};

// The first row whose stepping (and, where given, last-level cache size)
// matches names the revision: dies cut down to a smaller cache carry
// revision names of their own at the same stepping.
struct RevisionRow {
  int stepping;  // -1 ends the table
  const char* revision;
  int cacheKB = kAny;
};

// One case of a family's naming switch.
struct NamingCase {
  int extModel;           // -1 ends the table
  int platformId;         // kAny or the IA32_PLATFORM_ID value
  const char* brandWord;  // null or a word the brand string must contain
  const char* name;
  const char* codeName;
  uint32_t typeCode;
  int packageCode;        // -1: leave as probed
  float technology;       // micrometres
  int mobile;
  const ModelNumberRow* numbers;
  const RevisionRow* revisions;
};

extern const RatedFrequencyRow kNehalemFrequencies[];
extern const RatedFrequencyRow kSandyBridgeFrequencies[];
extern const RatedFrequencyRow kCore2Frequencies[];

// One instance of the last-level cache in KB (L3, else L2); -1 without one.
int LastLevelCacheKB(const CCPUThread* t);

// Applies the first matching case of `cases` to the thread.
void ApplyNamingCases(CCPUThread* t, const NamingCase* cases, int unlocked);

void NameIntelCore2(CCPUThread* t);
void NameIntelNehalem(CCPUThread* t, int unlocked);
void NameIntelSandyBridge(CCPUThread* t, int unlocked);
void NameIntelHaswell(CCPUThread* t, int unlocked);

// The socket or slot text of a package code; empty for unknown codes.
const char* PackageName(int packageCode);
