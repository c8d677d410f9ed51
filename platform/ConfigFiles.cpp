#include "platform/ConfigFiles.h"

#include "platform/ReadCappedFile.h"
#include "platform/Utf16Text.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plat {

namespace {

std::string Why(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{}, *found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/')
    return found->pw_dir;
  return {};
}

}  // namespace

std::string ConfigDirectory() {
  // A relative XDG_CONFIG_HOME is ignored, as the XDG base directory rules say.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return std::string(xdg) + "/torvik";
  const std::string home = HomeDirectory();
  return home.empty() ? std::string() : home + "/.config/torvik";
}

bool MakeDirectories(const std::string& dir, std::string* error) {
  if (dir.empty()) {
    if (error) *error = "no directory given";
    return false;
  }
  for (size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos < dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), 0700) == 0 || errno == EEXIST) continue;
    if (error) *error = Why(part);
    return false;
  }
  struct stat st{};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = dir + ": not a directory";
    return false;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  std::string temp = (slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1)) + ".tmp-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);  // mode 0600
  if (fd < 0) {
    if (error) *error = Why(dir);
    return false;
  }
  temp = name.data();
  auto fail = [&](const std::string& what) {
    if (error) *error = Why(what);
    close(fd);
    unlink(temp.c_str());
    return false;
  };
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(temp);
    done += static_cast<size_t>(n);
  }
  if (fsync(fd) != 0) return fail(temp);
  if (close(fd) != 0) {
    if (error) *error = Why(temp);
    unlink(temp.c_str());
    return false;
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    if (error) *error = Why(path);
    unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the directory.
  if (const int d = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); d >= 0) {
    fsync(d);
    close(d);
  }
  return true;
}

bool ReadConfigLines(const std::string& path, std::vector<std::string>* lines, std::string* error) {
  std::string bytes;
  if (!ReadCappedFile(path, kConfigFileMaxBytes, &bytes, error)) return false;
  *lines = DecodeUtf16Lines(bytes);
  return true;
}

bool SaveConfigFile(const std::string& path, const std::string& bytes, std::string* error) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirectories(path.substr(0, slash), error)) return false;
  return ReplaceFileAtomically(path, bytes, error);
}

}  // namespace plat
