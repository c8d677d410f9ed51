// A directory that stands in for /dev and /sys: regular files where the
// kernel has device files, so the host access code runs its real paths
// (pread/pwrite at the right offsets, mmap, per-CPU files) on any machine.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/host/HostHardwareAccess.h"

namespace torvik_test {

class FakeHostTree {
 public:
  FakeHostTree() {
    char dir[] = "/tmp/torvik-host-XXXXXX";
    root = mkdtemp(dir);
  }
  ~FakeHostTree() {
    nftw(
        root.c_str(), [](const char* path, const struct stat*, int, FTW*) { return remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
  FakeHostTree(const FakeHostTree&) = delete;
  FakeHostTree& operator=(const FakeHostTree&) = delete;

  plat::HostAccessOptions Options(const std::string& modprobe = "/nonexistent/modprobe") const {
    plat::HostAccessOptions o;
    o.root = root;
    o.useIopl = false;
    o.modprobe = modprobe;
    return o;
  }

  // A file of `size` bytes, byte i = (i * 7 + 3) & 0xFF unless given.
  void Make(const std::string& path, size_t size) {
    MakeDirs(path);
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = Pattern(i);
    int fd = open((root + path).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (size && pwrite(fd, bytes.data(), size, 0) != static_cast<ssize_t>(size)) std::abort();
    close(fd);
  }

  void Put(const std::string& path, uint64_t offset, const void* data, size_t size) {
    MakeDirs(path);
    int fd = open((root + path).c_str(), O_RDWR | O_CREAT, 0644);
    if (pwrite(fd, data, size, static_cast<off_t>(offset)) != static_cast<ssize_t>(size)) std::abort();
    close(fd);
  }

  std::vector<uint8_t> Get(const std::string& path, uint64_t offset, size_t size) const {
    std::vector<uint8_t> bytes(size);
    int fd = open((root + path).c_str(), O_RDONLY);
    ssize_t n = fd < 0 ? -1 : pread(fd, bytes.data(), size, static_cast<off_t>(offset));
    if (fd >= 0) close(fd);
    bytes.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return bytes;
  }

  static uint8_t Pattern(size_t i) { return static_cast<uint8_t>(i * 7 + 3); }

  std::string root;

 private:
  void MakeDirs(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
      mkdir((root + path.substr(0, slash)).c_str(), 0755);
  }
};

}  // namespace torvik_test
