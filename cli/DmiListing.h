// The board identity and the SMBIOS structures as torvikctl lists them. The
// program itself decodes a saved table without loading its commands (see
// torvikctl.cpp), so this stands on the SMBIOS decoder alone.
#pragma once

#include <string>

class CDMIInterface;

namespace cli {

// Lists a decoded table: dmidecode's layout, or one JSON object.
void PrintDmi(const CDMIInterface& dmi, bool json);
// Decodes a file saved by `dmidecode --dump-bin` and lists it; returns the
// exit status, with the reason on stderr when the file is refused.
int PrintDmiDump(const std::string& path, bool json);

}  // namespace cli
