// Reads a file a user named on the command line: only a regular file, and
// only up to a size that fits what it should hold. A directory, a device
// such as /dev/zero or a FIFO is refused at once instead of aborting,
// filling memory or hanging.
#pragma once

#include <cstddef>
#include <string>

namespace plat {

// Size caps of the formats read this way.
inline constexpr size_t kSmbiosDumpMaxBytes = 256 * 1024;   // entry point + structure table
inline constexpr size_t kRegisterDumpMaxBytes = 64 * 1024;  // a text dump of a chip's registers

// Reads all of `path` into `out`. False with `error` set to a one-line reason
// ("<path>: is a directory", "<path>: larger than 65536 bytes", ...).
bool ReadCappedFile(const std::string& path, size_t maxBytes, std::string* out, std::string* error);

}  // namespace plat
