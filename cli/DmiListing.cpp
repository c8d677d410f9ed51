// The board identity and the SMBIOS structures as torvikctl lists them:
// dmidecode's layout, or one JSON object.
#include "cli/DmiListing.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>

#include "cli/Exit.h"
#include "cli/Json.h"
#include "cli/Printable.h"
#include "platform/ReadCappedFile.h"
#include "sdk/systables/CDMIInterface.h"
#include "sdk/systables/CDMIStructure.h"
#include "sdk/systables/DmiBoardIdentity.h"

namespace cli {

namespace {

std::string Uuid(const uint8_t* u) {
  char b[48];
  std::snprintf(b, sizeof(b), "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", u[3], u[2], u[1],
                u[0], u[5], u[4], u[7], u[6], u[8], u[9], u[10], u[11], u[12], u[13], u[14], u[15]);
  return b;
}

// Hardware strings made safe for the terminal; each lives as long as the
// listing that prints it.
class SafeText {
 public:
  const char* operator()(const std::string& text) {
    kept_.push_back(Printable(text));
    return kept_.back().c_str();
  }

 private:
  std::deque<std::string> kept_;
};

void PrintText(const BoardIdentity& id, const CDMIInterface& dmi) {
  SafeText P;
  std::printf("Board: %s\n", P(id.name));
  std::printf("Board id: 0x%08X\n", static_cast<uint32_t>(id.boardHash));
  std::printf("Board checksum: 0x%08X\n", static_cast<uint32_t>(id.boardSum));
  std::printf("Table: %s, %u bytes", P(dmi.Source()), dmi.entry.tableLength);
  if (dmi.entry.revision) std::printf(", SMBIOS %u.%u", dmi.entry.revision >> 4, dmi.entry.revision & 0xF);
  if (dmi.entry.tableAddress) std::printf(", at 0x%08X", dmi.entry.tableAddress);
  std::printf("\nBIOS maker: %s\n", dmi.GetBiosMaker()[0] ? P(dmi.GetBiosMaker()) : "(not found)");
  for (CDMIStructure* s : Items(dmi.structures)) {
    std::printf("\n");
    switch (s->type) {
      case 0: {
        auto* r = static_cast<CDMI_Bios*>(s);
        std::printf("BIOS Information\n\tVendor: %s\n\tVersion: %s\n\tRelease Date: %s\n", P(r->vendor), P(r->version),
                    P(r->releaseDate));
        if (r->romSizeKB >= 0) std::printf("\tROM Size: %d kB\n", r->romSizeKB);
        break;
      }
      case 1: {
        auto* r = static_cast<CDMI_System*>(s);
        std::printf("System Information\n\tManufacturer: %s\n\tProduct Name: %s\n\tVersion: %s\n\tSerial Number: %s\n"
                    "\tUUID: %s\n",
                    P(r->manufacturer), P(r->productName), P(r->version), P(r->serialNumber), Uuid(r->uuid).c_str());
        break;
      }
      case 2: {
        auto* r = static_cast<CDMI_Baseboard*>(s);
        std::printf("Base Board Information\n\tManufacturer: %s\n\tProduct Name: %s\n\tVersion: %s\n"
                    "\tSerial Number: %s\n",
                    P(r->manufacturer), P(r->product), P(r->version), P(r->serialNumber));
        break;
      }
      case 3: {
        auto* r = static_cast<CDMI_SystemEnclosure*>(s);
        std::printf("Chassis Information\n\tManufacturer: %s\n\tType: %s\n\tSerial Number: %s\n", P(r->manufacturer),
                    P(r->chassisType), P(r->serialNumber));
        break;
      }
      case 4: {
        auto* r = static_cast<CDMI_Processor*>(s);
        std::printf("Processor Information\n\tFamily: 0x%02X\n\tManufacturer: %s\n\tVersion: %s\n"
                    "\tExternal Clock: %.0f MHz\n\tCurrent Speed: %.0f MHz\n",
                    r->family, P(r->manufacturer), P(r->version), r->externalClockMHz, r->currentSpeedMHz);
        if (r->multiplier > 0)
          std::printf("\tMultiplier: %.1f\n", r->multiplier);
        else
          std::printf("\tMultiplier: Unknown\n");
        break;
      }
      case 16: {
        auto* r = static_cast<CDMI_PhysicalMemoryArray*>(s);
        std::printf("Physical Memory Array\n\tLocation: %s\n\tUse: %s\n\tError Correction Type: %s\n", P(r->location),
                    P(r->use), P(r->errorCorrection));
        if (r->maxCapacityMB >= 0) std::printf("\tMaximum Capacity: %d MB\n", r->maxCapacityMB);
        std::printf("\tNumber Of Devices: %d\n", r->deviceCount);
        break;
      }
      case 17: {
        auto* r = static_cast<CDMI_MemoryDevice*>(s);
        std::printf("Memory Device\n\tLocator: %s\n", P(r->deviceLocator));
        if (r->sizeMB >= 0)
          std::printf("\tSize: %d MB\n", r->sizeMB);
        else
          std::printf("\tSize: No Module Installed\n");
        std::printf("\tForm Factor: %s\n\tType: %s\n", P(r->formFactor), P(r->memoryType));
        if (r->totalWidth >= 0) std::printf("\tTotal Width: %d bits\n", r->totalWidth);
        if (r->dataWidth >= 0) std::printf("\tData Width: %d bits\n", r->dataWidth);
        break;
      }
      default:
        std::printf("Structure type %d\n", s->type);
        break;
    }
  }
}

void PrintJson(const BoardIdentity& id, const CDMIInterface& dmi) {
  Json j;
  j.BeginObject()
      .Key("board").String(id.name)
      .Key("boardId").Hex(static_cast<uint32_t>(id.boardHash), 8)
      .Key("boardChecksum").Hex(static_cast<uint32_t>(id.boardSum), 8)
      .Key("source").String(dmi.Source())
      .Key("biosMaker").String(dmi.GetBiosMaker())
      .Key("structures").BeginArray();
  for (CDMIStructure* s : Items(dmi.structures)) {
    j.BeginObject().Key("type").Int(s->type);
    switch (s->type) {
      case 0: {
        auto* r = static_cast<CDMI_Bios*>(s);
        j.Key("vendor").String(r->vendor).Key("version").String(r->version).Key("releaseDate").String(r->releaseDate);
        j.Key("romSizeKB").Int(r->romSizeKB);
        break;
      }
      case 1: {
        auto* r = static_cast<CDMI_System*>(s);
        j.Key("manufacturer").String(r->manufacturer).Key("productName").String(r->productName);
        j.Key("version").String(r->version).Key("serialNumber").String(r->serialNumber);
        j.Key("uuid").String(Uuid(r->uuid));
        break;
      }
      case 2: {
        auto* r = static_cast<CDMI_Baseboard*>(s);
        j.Key("manufacturer").String(r->manufacturer).Key("product").String(r->product);
        j.Key("version").String(r->version).Key("serialNumber").String(r->serialNumber);
        break;
      }
      case 4: {
        auto* r = static_cast<CDMI_Processor*>(s);
        j.Key("family").Int(r->family).Key("manufacturer").String(r->manufacturer).Key("version").String(r->version);
        j.Key("externalClockMHz").Number(r->externalClockMHz).Key("currentSpeedMHz").Number(r->currentSpeedMHz);
        j.Key("multiplier").Number(r->multiplier);
        break;
      }
      case 17: {
        auto* r = static_cast<CDMI_MemoryDevice*>(s);
        j.Key("locator").String(r->deviceLocator).Key("sizeMB").Int(r->sizeMB);
        j.Key("memoryType").String(r->memoryType).Key("formFactor").String(r->formFactor);
        if (r->totalWidth >= 0) j.Key("totalWidth").Int(r->totalWidth);
        if (r->dataWidth >= 0) j.Key("dataWidth").Int(r->dataWidth);
        break;
      }
      case 3: {
        auto* r = static_cast<CDMI_SystemEnclosure*>(s);
        j.Key("manufacturer").String(r->manufacturer).Key("chassisType").String(r->chassisType);
        j.Key("serialNumber").String(r->serialNumber);
        break;
      }
      case 16: {
        auto* r = static_cast<CDMI_PhysicalMemoryArray*>(s);
        j.Key("location").String(r->location).Key("use").String(r->use);
        j.Key("errorCorrection").String(r->errorCorrection).Key("deviceCount").Int(r->deviceCount);
        if (r->maxCapacityMB >= 0) j.Key("maxCapacityMB").Int(r->maxCapacityMB);
        break;
      }
      default:
        break;
    }
    j.EndObject();
  }
  j.EndArray().EndObject();
  std::printf("%s\n", j.Text().c_str());
}

}  // namespace

void PrintDmi(const CDMIInterface& dmi, bool json) {
  const BoardIdentity id = BoardIdentityFromDmi(&dmi);
  json ? PrintJson(id, dmi) : PrintText(id, dmi);
}

int PrintDmiDump(const std::string& path, bool json) {
  std::string file, error;
  if (!plat::ReadCappedFile(path, plat::kSmbiosDumpMaxBytes, &file, &error)) {
    std::fprintf(stderr, "torvikctl: %s\n", error.c_str());
    return kExitFailed;
  }
  CDMIInterface dmi;
  if (!dmi.LoadDump(reinterpret_cast<const uint8_t*>(file.data()), file.size())) {
    std::fprintf(stderr, "torvikctl: %s is not an SMBIOS dump (no entry point at its start)\n", path.c_str());
    return kExitFailed;
  }
  PrintDmi(dmi, json);
  return kExitOk;
}

}  // namespace cli
