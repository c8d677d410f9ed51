// One cache of a logical processor as the identification leaves describe it.
#pragma once

#include <cstdint>

enum CacheType : int { CACHE_DATA = 1, CACHE_INSTRUCTION = 2, CACHE_UNIFIED = 3, CACHE_TRACE = 4 };

class CCacheDescriptor {
 public:
  virtual ~CCacheDescriptor() = default;

  int level = -1;
  int type = -1;
  int sizeKB = -1;  // trace cache: thousands of micro-operations
  int sharing = 1;  // logical processors sharing one instance
  int lineSize = -1;
  int ways = -1;    // 1 direct mapped, 255 fully associative
  int sets = -1;
  int partitions = -1;
  int8_t descriptorByte = -1;
};

// A distinct integer in a collection list.
class CCounterItem {
 public:
  explicit CCounterItem(int v) : value(v) {}
  virtual ~CCounterItem() = default;
  int value;
};
