// The program's own files in the user's configuration directory (profiles,
// process rules): where they live and how they are replaced.
#pragma once

#include <string>

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

}  // namespace plat
