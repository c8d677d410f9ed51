// What the kernel's /proc/cpuinfo says of each logical processor that its
// topology files in sysfs do not.
#pragma once

#include <map>
#include <string>

namespace plat {

// Logical processor -> APIC id from the "processor" and "apicid" lines of
// /proc/cpuinfo text; processors without an "apicid" line are absent.
std::map<int, int> ApicIdsFromCpuinfo(const std::string& text);

// /proc/cpuinfo (under `root`), whole; "" when it cannot be read.
std::string ReadCpuinfo(const std::string& root);

}  // namespace plat
