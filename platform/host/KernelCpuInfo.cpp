#include "platform/host/KernelCpuInfo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat {

namespace {

// The value of a "name<tabs>: value" line when the line names `key`.
bool Field(const std::string& line, const char* key, long* value) {
  const size_t n = std::strlen(key);
  if (line.compare(0, n, key) != 0) return false;
  size_t at = n;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at >= line.size() || line[at] != ':') return false;
  const char* begin = line.c_str() + at + 1;
  char* end = nullptr;
  const long v = std::strtol(begin, &end, 10);
  if (end == begin || v < 0 || v > 0x7FFFFFFF) return false;
  *value = v;
  return true;
}

}  // namespace

std::map<int, int> ApicIdsFromCpuinfo(const std::string& text) {
  std::map<int, int> ids;
  long processor = -1, value = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (Field(line, "processor", &value))
      processor = value;
    else if (line.empty())
      processor = -1;
    else if (processor >= 0 && Field(line, "apicid", &value))
      ids[static_cast<int>(processor)] = static_cast<int>(value);
  }
  return ids;
}

std::string ReadCpuinfo(const std::string& root) {
  std::string text;
  std::FILE* f = std::fopen((root + "/proc/cpuinfo").c_str(), "r");
  if (!f) return text;
  char buf[16384];
  for (size_t n; (n = std::fread(buf, 1, sizeof(buf), f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

}  // namespace plat
