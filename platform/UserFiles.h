// The program's own files in the user's configuration directory (profiles,
// process rules): where they live, their text encoding and how they are
// replaced.
//
// The files are UTF-16 little-endian text with a byte-order mark and CRLF
// line ends, so that they can be carried to and from the Windows tool's
// folders unchanged. In memory the lines are UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace plat {

// Largest file read back (a rule or profile file is a few kilobytes).
inline constexpr size_t kUserFileMaxBytes = 1024 * 1024;

// $XDG_CONFIG_HOME/torvik when that variable holds an absolute path, else
// $HOME/.config/torvik (the password database's home when HOME is unset).
// Empty when no home directory can be found.
std::string UserConfigDirectory();

// UTF-8 lines -> BOM + UTF-16 LE, each line ended by CR LF. A byte that
// starts no well-formed UTF-8 sequence becomes U+FFFD.
std::string EncodeUtf16Lines(const std::vector<std::string>& lines);

// The reverse: bytes -> UTF-8 lines. With the byte-order mark FF FE the
// text is UTF-16 LE (an unpaired surrogate or a dangling odd byte becomes
// U+FFFD); without it the bytes are taken as 8-bit text. Lines end at LF;
// a CR before it is dropped. A final line without LF is kept.
std::vector<std::string> DecodeUtf16Lines(const std::string& bytes);

// Reads `path` (a regular file up to kUserFileMaxBytes) as lines. False
// with `error` set when it cannot be read.
bool ReadTextLines(const std::string& path, std::vector<std::string>* lines, std::string* error);

// Replaces `path` with `bytes`: the directory is created (mode 0700) when
// missing, the data goes to a new owner-only temporary file next to it,
// which is flushed to disk and renamed over the old file. An interrupted
// save leaves the previous file as it was. False with `error` set.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string* error);

}  // namespace plat
