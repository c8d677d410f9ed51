// An SPD image a user saved: the raw EEPROM bytes (128, 256 or 512), or a
// text dump of them as i2cdump prints it, as `hexdump -C` prints it, or in
// 16-bit little-endian words as `hexdump` and `od -x` print it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The largest text dump read.
inline constexpr size_t kSpdDumpMaxBytes = 64 * 1024;

// On success `image` holds 256 bytes: a 128-byte image is followed by
// 0xFF (bytes the EEPROM does not have), a 512-byte image keeps its first
// half. On failure `error` says why in one line (with the line number of
// a text dump).
bool ParseSpdImage(std::string_view contents, std::vector<uint8_t>* image, std::string* error);
