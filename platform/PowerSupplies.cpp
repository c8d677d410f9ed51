#include "platform/PowerSupplies.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace plat {

namespace {

// The first line of a small attribute file, or nothing.
std::optional<std::string> ReadLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return std::nullopt;
  return line;
}

// A decimal attribute, or nothing when it is absent or not a number.
std::optional<long long> ReadNumber(const std::string& path) {
  auto line = ReadLine(path);
  if (!line || line->empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(line->c_str(), &end, 10);
  if (errno != 0 || end == line->c_str() || *end != '\0') return std::nullopt;
  return v;
}

}  // namespace

std::vector<PowerSupply> ReadPowerSupplies(const std::string& root) {
  std::vector<PowerSupply> out;
  DIR* dir = opendir(root.c_str());
  if (!dir) return out;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name.empty() || name[0] == '.') continue;
    const std::string base = root + "/" + name + "/";
    auto type = ReadLine(base + "type");
    if (!type) continue;
    PowerSupply s;
    s.name = name;
    s.type = *type;
    s.voltageNow = ReadNumber(base + "voltage_now");
    s.currentNow = ReadNumber(base + "current_now");
    s.powerNow = ReadNumber(base + "power_now");
    s.capacity = ReadNumber(base + "capacity");
    s.temp = ReadNumber(base + "temp");
    out.push_back(std::move(s));
  }
  closedir(dir);
  std::sort(out.begin(), out.end(), [](const PowerSupply& a, const PowerSupply& b) { return a.name < b.name; });
  return out;
}

}  // namespace plat
