// Register dumps in the text form `isadump` and `i2cdump` print:
//
//          0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    [0123456789abcdef]
//     00: 12 34 XX -- ...                                     [ascii column]
//
// Lines before the first row (warnings, prompts, "Chip ID:" lines, the
// column header) are skipped; from the first row on every non-blank line
// must be a row "RR:" (RR a multiple of 0x10; "RR" without the colon under
// a "00 01 ... 0F" header) with exactly 16 byte fields, each two hex digits,
// optionally followed by the 16-character ascii column. A field the tool
// could not read (XX, --), a short or long row and a row given twice are
// errors naming the line: a chip loaded from a dump answers with the dump's
// bytes only, never with a mixture of the dump and live values. Rows the
// dump leaves out stay -1.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace emu {

struct RegisterDump {
  std::array<int, 256> values;  // -1: not in the dump
  RegisterDump() { values.fill(-1); }
};

// Returns false with `error` naming the line ("line 7: ...") for a malformed dump.
bool ParseRegisterDump(std::string_view text, RegisterDump* out, std::string* error);
bool LoadRegisterDumpFile(const std::string& path, RegisterDump* out, std::string* error);

}  // namespace emu
