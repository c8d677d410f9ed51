// The board identification hash of an SMBIOS baseboard product string.
#pragma once

#include <cstdint>
#include <string_view>

namespace sdk {

// h = (h + c) << s for every byte c taken as signed, with the shift s running
// 0, 1, 2, 3, 4, 5, 0, ...; 32-bit wrap-around.
constexpr uint32_t BoardHash(std::string_view text) {
  uint32_t h = 0;
  int s = 0;
  for (char ch : text) {
    int32_t c = static_cast<signed char>(ch);
    h = (h + static_cast<uint32_t>(c)) << s;
    if (++s > 5) s = 0;
  }
  return h;
}

// Signed byte sum of the same string.
constexpr int32_t BoardSum(std::string_view text) {
  uint32_t sum = 0;
  for (char ch : text) sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(ch)));
  return static_cast<int32_t>(sum);
}

static_assert(BoardHash("") == 0);
static_assert(BoardHash("abc") == 1956);

}  // namespace sdk
