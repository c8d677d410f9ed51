// The leaf-2 cache and TLB descriptor bytes of Intel processors.
#pragma once

#include <cstdint>

struct Leaf2Descriptor {
  int code;  // -1 ends the table
  int level;
  int type;    // CacheType
  int sizeKB;  // trace caches: thousands of micro-operations
  int ways;    // 255 fully associative
  int lineSize;
};

// The cache a descriptor byte describes, or null for TLBs, prefetch hints
// and unknown bytes.
const Leaf2Descriptor* FindLeaf2Descriptor(uint8_t code);
