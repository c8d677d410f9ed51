// Text files of the program's own (profiles, process rules) are UTF-16
// little-endian with a byte-order mark and CRLF line ends. In memory the
// lines are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace plat {

// The byte-order mark, then each line followed by CR LF.
std::string EncodeUtf16Lines(const std::vector<std::string>& lines);

// The lines of such a file: with the little-endian byte-order mark as
// UTF-16 (an odd last byte and an unpaired surrogate each become
// U+FFFD); with a UTF-8 mark or none as 8-bit text. Lines end at LF, a CR
// before it is dropped; a last line without LF counts when not empty.
std::vector<std::string> DecodeUtf16Lines(const std::string& bytes);

}  // namespace plat
