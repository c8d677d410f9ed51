// Where the machine-wide locks live and how their files are opened.
//
// Every lock file sits in one directory that only its owner can write: for
// root /run/torvik, for anyone else $XDG_RUNTIME_DIR/torvik (falling back to
// /tmp/torvik-<uid>). Files are created with O_EXCL and O_NOFOLLOW at mode
// 0600 and checked with fstat after opening; a directory or file that
// another user owns or could write is never used. The process umask is never
// changed.
#pragma once

#include <functional>
#include <string>

namespace plat {

enum class LockScope {
  System,  // the real machine: root runs meet in /run/torvik
  User,    // an emulated machine: always the user's own directory
};

void SetLockScope(LockScope scope);
LockScope CurrentLockScope();

// Overrides the directory (tests); an empty string restores the default.
void SetLockDirectory(const std::string& dir);
// The directory locks of the current scope live in, and that of a scope.
std::string LockDirectory();
std::string LockDirectoryFor(LockScope scope);

// Opens (creating when needed) the lock directory and returns a descriptor
// for it, or -1 with `error` set and a message reported.
int OpenLockDirectory(int* error);

// Opens the lock file `fileName` inside the lock directory for reading and
// writing, creating it (mode 0600) when it does not exist. A symbolic link,
// a non-regular file, a file of another owner or one that others may access
// in our own directory is removed and replaced, with a message; nothing
// outside the directory is ever created or changed. Returns -1 with `error`
// set (and a message reported) when no safe file can be had. `created` tells
// whether the file is new.
int OpenLockFile(const std::string& fileName, bool* created, int* error);

// Problems with locks are told to the user through this sink (stderr by
// default, one line each, prefixed with the program name).
void ReportLockProblem(const std::string& text);
void SetLockProblemSink(std::function<void(const std::string&)> sink);

}  // namespace plat
