#include "platform/UserFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/ReadCappedFile.h"

namespace plat {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One code point from UTF-8 at s[*i] (shortest form only, no surrogates);
// advances *i. A bad byte gives U+FFFD and advances by one.
char32_t NextUtf8(const std::string& s, size_t* i) {
  const auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(*i);
  if (c < 0x80) {
    ++*i;
    return c;
  }
  const size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  bool ok = n != 0 && *i + n <= s.size();
  for (size_t k = 1; ok && k < n; ++k) ok = (at(*i + k) & 0xC0) == 0x80;
  if (ok) {
    const unsigned char c1 = at(*i + 1);
    ok = !((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
           (c == 0xF4 && c1 > 0x8F));
  }
  if (!ok) {
    ++*i;
    return kReplacement;
  }
  char32_t cp = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) cp = cp << 6 | (at(*i + k) & 0x3F);
  *i += n;
  return cp;
}

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | cp >> 6));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | cp >> 12));
    out->push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | cp >> 18));
    out->push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(std::string* out, char16_t unit) {
  out->push_back(static_cast<char>(unit & 0xFF));
  out->push_back(static_cast<char>(unit >> 8));
}

// Splits decoded text at LF, dropping the CR of a CR LF.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = last ? end : end + 1;
  }
  return lines;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p with mode 0700 for what it creates.
bool MakeDirectories(const std::string& dir, std::string* error) {
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    *error = dir + ": not a directory";
    return false;
  }
  const std::string parent = DirectoryOf(dir);
  if (parent != dir && !MakeDirectories(parent, error)) return false;
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = dir + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string UserConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/torvik";
  std::string home;
  if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
    home = h;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
    home = pw->pw_dir;
  }
  return home.empty() ? std::string() : home + "/.config/torvik";
}

std::string EncodeUtf16Lines(const std::vector<std::string>& lines) {
  std::string out = "\xFF\xFE";
  for (const std::string& line : lines) {
    for (size_t i = 0; i < line.size();) {
      const char32_t cp = NextUtf8(line, &i);
      if (cp >= 0x10000) {
        AppendUtf16(&out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        AppendUtf16(&out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        AppendUtf16(&out, static_cast<char16_t>(cp));
      }
    }
    AppendUtf16(&out, u'\r');
    AppendUtf16(&out, u'\n');
  }
  return out;
}

std::vector<std::string> DecodeUtf16Lines(const std::string& bytes) {
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xFE)
    return SplitLines(bytes);
  std::string text;
  const auto unit = [&](size_t k) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) | static_cast<unsigned char>(bytes[k + 1]) << 8);
  };
  size_t i = 2;
  while (i + 1 < bytes.size()) {
    const char16_t u = unit(i);
    i += 2;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < bytes.size() && unit(i) >= 0xDC00 && unit(i) <= 0xDFFF) {
      AppendUtf8(&text, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (unit(i) - 0xDC00));
      i += 2;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(&text, kReplacement);
    } else {
      AppendUtf8(&text, u);
    }
  }
  if (i < bytes.size()) AppendUtf8(&text, kReplacement);
  return SplitLines(text);
}

bool ReadTextLines(const std::string& path, std::vector<std::string>* lines, std::string* error) {
  std::string bytes;
  if (!ReadCappedFile(path, kUserFileMaxBytes, &bytes, error)) return false;
  *lines = DecodeUtf16Lines(bytes);
  return true;
}

bool ReplaceFile(const std::string& path, const std::string& bytes, std::string* error) {
  std::string why;
  const std::string dir = DirectoryOf(path);
  if (!MakeDirectories(dir, &why)) {
    if (error) *error = why;
    return false;
  }
  std::string temp = path + ".XXXXXX";
  // mkstemp creates the file with mode 0600 and O_EXCL.
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  int e = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    e = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    e = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    if (error) *error = path + ": " + std::strerror(e ? e : EIO);
    return false;
  }
  // Make the rename itself durable.
  if (const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

}  // namespace plat
