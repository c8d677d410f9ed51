#include "platform/ReadCappedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace plat {

bool ReadCappedFile(const std::string& path, size_t maxBytes, std::string* out, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = path + ": " + why;
    return false;
  };
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    const int e = errno;
    close(fd);
    return fail(std::strerror(e));
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    return fail(S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file");
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    close(fd);
    return fail("larger than " + std::to_string(maxBytes) + " bytes");
  }
  // The buffer starts at what the file holds now (at least a page: files
  // of the kernel's report size 0) and grows as reading fills it, never
  // beyond one byte past the cap: a file that grows meanwhile is still
  // refused rather than read without end, and a small file does not cost a
  // buffer of the cap's size.
  const size_t limit = maxBytes + 1;
  std::string data;
  data.resize(std::min(std::max<size_t>(static_cast<size_t>(st.st_size) + 1, 4096), limit));
  size_t have = 0;
  for (;;) {
    if (have == data.size()) {
      if (data.size() == limit) break;
      data.resize(std::min(data.size() * 2, limit));
    }
    ssize_t n = read(fd, data.data() + have, data.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      close(fd);
      return fail(std::strerror(e));
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  close(fd);
  if (have > maxBytes) return fail("larger than " + std::to_string(maxBytes) + " bytes");
  data.resize(have);
  if (out) *out = std::move(data);
  return true;
}

}  // namespace plat
