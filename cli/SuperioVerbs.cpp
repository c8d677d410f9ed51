// superio: the Super I/O chips on the configuration ports 0x2E and 0x4E,
// with their ids, revisions and logical devices.
#include <cstdio>
#include <string>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "driver/DriverEndpoint.h"
#include "platform/Machine.h"
#include "sdk/access/CLPCIO.h"
#include "sdk/access/SuperIODetection.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

namespace {

int Superio(Session& s, const Args& a) {
  if (!a.empty()) return Usage(*FindVerb("superio"));
  if (!s.StartSdk()) return kExitFailed;
  CTList<CLPCIO> chips;
  if (!s.LockHardware()) return kExitFailed;
  DetectSuperIOChips(*QUARNSDK::GetInstance(), &chips);
  s.UnlockHardware();
  if (s.Options().json) {
    Json j;
    j.BeginArray();
    for (CLPCIO* c : Items(&chips)) {
      j.BeginObject()
          .Key("port").Hex(c->configPort, 2)
          .Key("vendor").String(c->vendorName)
          .Key("chip").String(c->chipName)
          .Key("vendorCode").Hex(static_cast<uint32_t>(c->vendorCode), 4)
          .Key("chipCode").Hex(static_cast<uint32_t>(c->chipCode), 4)
          .Key("revision").Int(c->revision)
          .Key("logicalDevices").BeginArray();
      for (int i = 0; i < c->logicalDeviceCount; ++i)
        j.BeginObject()
            .Key("ldn").Hex(c->logicalDevices[i].ldn, 2)
            .Key("base").Hex(c->logicalDevices[i].base, 4)
            .Key("active").Bool(c->logicalDevices[i].active)
            .EndObject();
      j.EndArray().EndObject();
    }
    std::printf("%s\n", j.EndArray().Text().c_str());
    return kExitOk;
  }
  if (!chips.count) {
    std::printf("no Super I/O chip found on 0x2E or 0x4E\n");
    // Say why when the kernel's own monitor driver keeps the ports.
    const std::string facilities = plat::CurrentMachine().DriverService().Describe();
    const size_t at = facilities.find("ports held by kernel drivers");
    if (at != std::string::npos && facilities.find("Super I/O configuration ports", at) != std::string::npos)
      std::printf("%s\n", facilities.substr(at, facilities.find('\n', at) - at).c_str());
  }
  for (CLPCIO* c : Items(&chips)) {
    std::printf("0x%02X: %s %s, chip 0x%04X", c->configPort, c->vendorName[0] ? c->vendorName : "(unknown maker)",
                c->chipName[0] ? c->chipName : "(unknown chip)", static_cast<uint32_t>(c->chipCode));
    if (c->revision >= 0) std::printf(", revision 0x%02X", c->revision);
    std::printf("\n");
    for (int i = 0; i < c->logicalDeviceCount; ++i)
      std::printf("\tlogical device 0x%02X at 0x%04X%s\n", c->logicalDevices[i].ldn, c->logicalDevices[i].base,
                  c->logicalDevices[i].active ? "" : " (inactive)");
  }
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& SuperioVerbs() {
  static const std::vector<Verb> verbs = {
      {"superio", "", "Super I/O chips on 0x2E and 0x4E with id, revision and logical device bases", &Superio},
  };
  return verbs;
}

}  // namespace cli
