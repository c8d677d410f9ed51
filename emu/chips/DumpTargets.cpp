#include "emu/chips/DumpTargets.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "emu/DumpLoader.h"

namespace emu {

namespace {

struct Target {
  std::string name;
  std::weak_ptr<void> chip;
  DumpLoadFn load;
};

struct Request {
  std::string chip, file;
  RegisterDump dump;
};

std::mutex gMutex;
std::map<const EmulatedMachine*, std::vector<Target>>& Targets() {
  static std::map<const EmulatedMachine*, std::vector<Target>> targets;
  return targets;
}
std::vector<Request>& Requests() {
  static std::vector<Request> requests;
  return requests;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The live targets of `m`; entries of a machine that died at the same
// address are dropped on the way.
std::vector<Target>& LiveTargets(EmulatedMachine& m) {
  auto& list = Targets()[&m];
  std::erase_if(list, [](const Target& t) { return t.chip.expired(); });
  return list;
}

}  // namespace

void RegisterDumpTarget(EmulatedMachine& m, const std::string& name, std::shared_ptr<void> chip, DumpLoadFn load) {
  std::lock_guard<std::mutex> hold(gMutex);
  LiveTargets(m).push_back({Lower(name), chip, std::move(load)});
}

std::shared_ptr<void> FindDumpTarget(EmulatedMachine& m, const std::string& name) {
  std::lock_guard<std::mutex> hold(gMutex);
  for (const Target& t : LiveTargets(m))
    if (t.name == Lower(name)) return t.chip.lock();
  return nullptr;
}

std::vector<std::string> DumpTargetNames(EmulatedMachine& m) {
  std::lock_guard<std::mutex> hold(gMutex);
  std::vector<std::string> names;
  for (const Target& t : LiveTargets(m)) names.push_back(t.name);
  return names;
}

bool LoadDumpInto(EmulatedMachine& m, const std::string& name, const RegisterDump& dump, std::string* error) {
  DumpLoadFn load;
  std::string known;
  {
    std::lock_guard<std::mutex> hold(gMutex);
    for (const Target& t : LiveTargets(m)) {
      known += " " + t.name;
      if (t.name == Lower(name)) load = t.load;
    }
  }
  if (!load) {
    if (error) *error = "no emulated chip '" + name + "' on this board; chips:" + (known.empty() ? " none" : known);
    return false;
  }
  std::string why;
  if (load(dump, &why)) return true;
  if (error) *error = name + ": " + why;
  return false;
}

bool RequestDumpLoad(const std::string& arg, std::string* error) {
  size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == arg.size()) {
    if (error) *error = "--load-dump takes CHIP=FILE, not '" + arg + "'";
    return false;
  }
  Request r{arg.substr(0, eq), arg.substr(eq + 1), {}};
  std::string why;
  if (!LoadRegisterDumpFile(r.file, &r.dump, &why)) {
    if (error) *error = why;
    return false;
  }
  std::lock_guard<std::mutex> hold(gMutex);
  Requests().push_back(std::move(r));
  return true;
}

bool HasRequestedDumps() {
  std::lock_guard<std::mutex> hold(gMutex);
  return !Requests().empty();
}

bool ApplyRequestedDumps(EmulatedMachine& m, std::string* error) {
  std::vector<Request> requests;
  {
    std::lock_guard<std::mutex> hold(gMutex);
    requests.swap(Requests());
  }
  for (const Request& r : requests) {
    std::string why;
    if (!LoadDumpInto(m, r.chip, r.dump, &why)) {
      if (error) *error = r.file + ": " + why;
      return false;
    }
  }
  return true;
}

void ClearRequestedDumps() {
  std::lock_guard<std::mutex> hold(gMutex);
  Requests().clear();
}

}  // namespace emu
