// dmi: the board identity and the SMBIOS structures, laid out like
// dmidecode; --from-dump decodes a table saved with `dmidecode --dump-bin`.
#include <cstdio>
#include <string>

#include "cli/DmiListing.h"
#include "cli/Verbs.h"
#include "sdk/core/QUARNSDK.h"
#include "sdk/systables/CDMIInterface.h"

namespace cli {

namespace {

int Dmi(Session& s, const Args& a) {
  if (!a.empty() && !(a.size() == 2 && a[0] == "--from-dump")) return Usage(*FindVerb("dmi"));
  if (a.size() == 2) return PrintDmiDump(a[1], s.Options().json);
  if (!s.StartSdk(kSdkDmi)) return kExitFailed;
  QUARNSDK* sdk = QUARNSDK::GetInstance();
  auto* dmi = static_cast<CDMIInterface*>(sdk->FindInterface(INTERFACE_DMI));
  if (!dmi) {
    std::fprintf(stderr, "torvikctl: no SMBIOS table was found on this machine\n");
    return kExitFailed;
  }
  PrintDmi(*dmi, s.Options().json);
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& DmiVerbs() {
  static const std::vector<Verb> verbs = {
      {"dmi", "[--from-dump FILE]", "board identity and SMBIOS structures (or a dmidecode --dump-bin file)", &Dmi},
  };
  return verbs;
}

}  // namespace cli
