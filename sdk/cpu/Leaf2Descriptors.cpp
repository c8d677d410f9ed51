#include "sdk/cpu/Leaf2Descriptors.h"

#include "sdk/cpu/CCacheDescriptor.h"

namespace {

// Intel's published descriptor table, caches only.
const Leaf2Descriptor kTable[] = {
    {0x06, 1, CACHE_INSTRUCTION, 8, 4, 32},    {0x08, 1, CACHE_INSTRUCTION, 16, 4, 32},
    {0x09, 1, CACHE_INSTRUCTION, 32, 4, 64},   {0x0A, 1, CACHE_DATA, 8, 2, 32},
    {0x0C, 1, CACHE_DATA, 16, 4, 32},          {0x0D, 1, CACHE_DATA, 16, 4, 64},
    {0x0E, 1, CACHE_DATA, 24, 6, 64},          {0x1D, 2, CACHE_UNIFIED, 128, 2, 64},
    {0x21, 2, CACHE_UNIFIED, 256, 8, 64},      {0x22, 3, CACHE_UNIFIED, 512, 4, 64},
    {0x23, 3, CACHE_UNIFIED, 1024, 8, 64},     {0x24, 2, CACHE_UNIFIED, 1024, 16, 64},
    {0x25, 3, CACHE_UNIFIED, 2048, 8, 64},     {0x29, 3, CACHE_UNIFIED, 4096, 8, 64},
    {0x2C, 1, CACHE_DATA, 32, 8, 64},          {0x30, 1, CACHE_INSTRUCTION, 32, 8, 64},
    {0x39, 2, CACHE_UNIFIED, 128, 4, 64},      {0x3A, 2, CACHE_UNIFIED, 192, 6, 64},
    {0x3B, 2, CACHE_UNIFIED, 128, 2, 64},      {0x3C, 2, CACHE_UNIFIED, 256, 4, 64},
    {0x3D, 2, CACHE_UNIFIED, 384, 6, 64},      {0x3E, 2, CACHE_UNIFIED, 512, 4, 64},
    {0x41, 2, CACHE_UNIFIED, 128, 4, 32},      {0x42, 2, CACHE_UNIFIED, 256, 4, 32},
    {0x43, 2, CACHE_UNIFIED, 512, 4, 32},      {0x44, 2, CACHE_UNIFIED, 1024, 4, 32},
    {0x45, 2, CACHE_UNIFIED, 2048, 4, 32},     {0x46, 3, CACHE_UNIFIED, 4096, 4, 64},
    {0x47, 3, CACHE_UNIFIED, 8192, 8, 64},     {0x48, 2, CACHE_UNIFIED, 3072, 12, 64},
    {0x49, 2, CACHE_UNIFIED, 4096, 16, 64},    {0x4A, 3, CACHE_UNIFIED, 6144, 12, 64},
    {0x4B, 3, CACHE_UNIFIED, 8192, 16, 64},    {0x4C, 3, CACHE_UNIFIED, 12288, 12, 64},
    {0x4D, 3, CACHE_UNIFIED, 16384, 16, 64},   {0x4E, 2, CACHE_UNIFIED, 6144, 24, 64},
    {0x60, 1, CACHE_DATA, 16, 8, 64},          {0x66, 1, CACHE_DATA, 8, 4, 64},
    {0x67, 1, CACHE_DATA, 16, 4, 64},          {0x68, 1, CACHE_DATA, 32, 4, 64},
    {0x70, 1, CACHE_TRACE, 12, 8, -1},         {0x71, 1, CACHE_TRACE, 16, 8, -1},
    {0x72, 1, CACHE_TRACE, 32, 8, -1},         {0x73, 1, CACHE_TRACE, 64, 8, -1},
    {0x78, 2, CACHE_UNIFIED, 1024, 4, 64},     {0x79, 2, CACHE_UNIFIED, 128, 8, 64},
    {0x7A, 2, CACHE_UNIFIED, 256, 8, 64},      {0x7B, 2, CACHE_UNIFIED, 512, 8, 64},
    {0x7C, 2, CACHE_UNIFIED, 1024, 8, 64},     {0x7D, 2, CACHE_UNIFIED, 2048, 8, 64},
    {0x7F, 2, CACHE_UNIFIED, 512, 2, 64},      {0x80, 2, CACHE_UNIFIED, 512, 8, 64},
    {0x82, 2, CACHE_UNIFIED, 256, 8, 32},      {0x83, 2, CACHE_UNIFIED, 512, 8, 32},
    {0x84, 2, CACHE_UNIFIED, 1024, 8, 32},     {0x85, 2, CACHE_UNIFIED, 2048, 8, 32},
    {0x86, 2, CACHE_UNIFIED, 512, 4, 64},      {0x87, 2, CACHE_UNIFIED, 1024, 8, 64},
    {0xD0, 3, CACHE_UNIFIED, 512, 4, 64},      {0xD1, 3, CACHE_UNIFIED, 1024, 4, 64},
    {0xD2, 3, CACHE_UNIFIED, 2048, 4, 64},     {0xD6, 3, CACHE_UNIFIED, 1024, 8, 64},
    {0xD7, 3, CACHE_UNIFIED, 2048, 8, 64},     {0xD8, 3, CACHE_UNIFIED, 4096, 8, 64},
    {0xDC, 3, CACHE_UNIFIED, 1536, 12, 64},    {0xDD, 3, CACHE_UNIFIED, 3072, 12, 64},
    {0xDE, 3, CACHE_UNIFIED, 6144, 12, 64},    {0xE2, 3, CACHE_UNIFIED, 2048, 16, 64},
    {0xE3, 3, CACHE_UNIFIED, 4096, 16, 64},    {0xE4, 3, CACHE_UNIFIED, 8192, 16, 64},
    {0xEA, 3, CACHE_UNIFIED, 12288, 24, 64},   {0xEB, 3, CACHE_UNIFIED, 18432, 24, 64},
    {0xEC, 3, CACHE_UNIFIED, 24576, 24, 64},   {-1, 0, 0, 0, 0, 0},
};

}  // namespace

const Leaf2Descriptor* FindLeaf2Descriptor(uint8_t code) {
  for (const Leaf2Descriptor* d = kTable; d->code != -1; ++d)
    if (d->code == code) return d;
  return nullptr;
}
