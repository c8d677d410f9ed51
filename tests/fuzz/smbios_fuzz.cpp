// The SMBIOS structure walk, string lookup and cleaning, and the record
// decoding, on arbitrary bytes: as a raw table and as a dmidecode dump.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/DmiTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that any read past the end is caught.
  std::vector<uint8_t> bytes(data, data + size);
  dmi::WalkTable(bytes.data(), bytes.size(), [](const dmi::StructureView& s) {
    char text[256];
    for (size_t field = 4; field < s.length; ++field) s.String(field, text, sizeof(text));
  });
  {
    CDMIInterface dmi;
    dmi.LoadTable(bytes.data(), bytes.size());
    dmi.FindStructure(2);
  }
  {
    CDMIInterface dmi;
    dmi.LoadDump(bytes.data(), bytes.size());
  }
  std::vector<char> text(bytes.begin(), bytes.end());
  text.push_back(0);
  dmi::CleanString(text.data());
  CDMIInterface::FindBiosMaker(bytes.data(), bytes.size());
  return 0;
}
