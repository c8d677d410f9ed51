// The program's own files in the user's configuration directory (profiles,
// process rules): where they live and how they are replaced.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace plat {

// $XDG_CONFIG_HOME/torvik when XDG_CONFIG_HOME is an absolute path, else
// $HOME/.config/torvik (the password database's home when HOME is unset).
// Empty when no home directory is known.
std::string ConfigDirectory();

// Creates `dir` and any missing parents (new ones owner-only, 0700). An
// existing directory is fine; an existing non-directory is an error.
bool MakeDirectories(const std::string& dir, std::string* error);

// Writes `bytes` to a new owner-only temporary file in the directory of
// `path`, flushes it to disk and renames it over `path`: a save that is
// interrupted leaves the previous file whole. The temporary file is removed
// on every failure.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, std::string* error);

// Largest configuration file read back (a rule or profile file is a few
// kilobytes).
inline constexpr size_t kConfigFileMaxBytes = 1024 * 1024;

// Reads `path` (a regular file up to kConfigFileMaxBytes) as UTF-16 text
// lines (see Utf16Text.h). False with `error` set when it cannot be read.
bool ReadConfigLines(const std::string& path, std::vector<std::string>* lines, std::string* error);

// Saves `bytes` as `path`: the directory is made when missing (owner-only),
// then the file is replaced whole.
bool SaveConfigFile(const std::string& path, const std::string& bytes, std::string* error);

}  // namespace plat
