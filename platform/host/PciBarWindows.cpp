#include "platform/host/PciBarWindows.h"

#include <dirent.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace plat {

namespace {
constexpr uint64_t kResourceMem = 0x200;  // IORESOURCE_MEM (include/linux/ioport.h)
constexpr int kMaxBars = 6;
}  // namespace

std::vector<PciBarWindow> ReadDisplayBarWindows(const std::string& root) {
  std::vector<PciBarWindow> windows;
  const std::string base = root + "/sys/bus/pci/devices";
  DIR* dir = opendir(base.c_str());
  if (!dir) return windows;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    const std::string device = base + "/" + e->d_name;
    std::ifstream classFile(device + "/class");
    std::string text;
    if (!(classFile >> text) || ((std::strtoul(text.c_str(), nullptr, 16) >> 16) & 0xFF) != 0x03) continue;
    std::ifstream resources(device + "/resource");
    std::string line;
    for (int bar = 0; bar < kMaxBars && std::getline(resources, line); ++bar) {
      uint64_t start = 0, end = 0, flags = 0;
      if (std::sscanf(line.c_str(), "%" SCNx64 " %" SCNx64 " %" SCNx64, &start, &end, &flags) != 3) continue;
      if (!(flags & kResourceMem) || end <= start) continue;
      windows.push_back({start, end, device + "/resource" + std::to_string(bar)});
    }
  }
  closedir(dir);
  return windows;
}

}  // namespace plat
