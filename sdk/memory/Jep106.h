// Manufacturer names of the JEDEC JEP106 identification code: a bank
// (reached with 0x7F continuation codes) and a code with odd parity in
// bit 7.
#pragma once

#include <cstdint>

// The name of `code` (parity bit included) in bank `bank` (0-based), or
// null when the table has no such maker or the parity is wrong.
const char* Jep106Name(int bank, uint8_t code);

// The maker of an 8-byte identification as SPD bytes hold it: leading 0x7F
// continuation codes, then the code. Null when unknown.
const char* Jep106NameOf(const uint8_t id[8]);
