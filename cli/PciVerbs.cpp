// pci: one line per PCI function like `lspci -n`; -v adds the subsystem,
// the class text and the capabilities.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/Json.h"
#include "cli/Verbs.h"
#include "sdk/access/CPCICapability.h"
#include "sdk/access/CPCIDevice.h"
#include "sdk/access/CPCIHeader.h"
#include "sdk/access/CPCIInterface.h"
#include "sdk/core/QUARNSDK.h"

namespace cli {

namespace {

std::vector<CPCIDevice*> SortedDevices() {
  std::vector<CPCIDevice*> list;
  for (CDevice* d : Items(QUARNSDK::GetInstance()->GetDevices()))
    if (d->type & DEVICE_PCI) list.push_back(static_cast<CPCIDevice*>(d));
  std::stable_sort(list.begin(), list.end(), [](const CPCIDevice* a, const CPCIDevice* b) {
    return (a->bus << 8 | a->device << 3 | a->function) < (b->bus << 8 | b->device << 3 | b->function);
  });
  return list;
}

std::string Address(const CPCIDevice* d) {
  char b[16];
  std::snprintf(b, sizeof(b), "%02x:%02x.%x", d->bus, d->device, d->function);
  return b;
}

void PrintText(const std::vector<CPCIDevice*>& list, bool verbose) {
  for (CPCIDevice* d : list) {
    const CPCICommonHeader* h = d->commonHeader;
    std::printf("%s %02x%02x: %04x:%04x", Address(d).c_str(), h->classCode, h->subclass, h->vendorId, h->deviceId);
    if (h->revision) std::printf(" (rev %02x)", h->revision);
    if (h->progIf) std::printf(" (prog-if %02x)", h->progIf);
    std::printf("\n");
    if (!verbose) continue;
    std::printf("\t%s\n", d->className);
    if (d->header && d->header->GetSubsystemVendorId() != 0xFFFF && d->header->GetSubsystemVendorId() != 0)
      std::printf("\tSubsystem: %04x:%04x\n", d->header->GetSubsystemVendorId(), d->header->GetSubsystemId());
    for (CPCICapability* c : Items(d->capabilities))
      std::printf("\tCapabilities: [%02x] %s\n", c->offset, CPCICapability::Name(c->id));
    for (CPCICapability* c : Items(d->extendedCapabilities))
      std::printf("\tCapabilities: [%03x] %s\n", c->offset, CPCICapability::ExtendedName(c->id));
  }
}

void PrintJson(const std::vector<CPCIDevice*>& list, bool verbose) {
  Json j;
  j.BeginArray();
  for (CPCIDevice* d : list) {
    const CPCICommonHeader* h = d->commonHeader;
    j.BeginObject()
        .Key("address").String(Address(d))
        .Key("vendorId").Hex(h->vendorId, 4)
        .Key("deviceId").Hex(h->deviceId, 4)
        .Key("class").Hex(h->classCode << 8 | h->subclass, 4)
        .Key("progIf").Hex(h->progIf, 2)
        .Key("revision").Hex(h->revision, 2)
        .Key("className").String(d->className);
    if (verbose) {
      if (d->header) {
        j.Key("subsystemVendorId").Hex(d->header->GetSubsystemVendorId(), 4);
        j.Key("subsystemId").Hex(d->header->GetSubsystemId(), 4);
      }
      j.Key("capabilities").BeginArray();
      for (CPCICapability* c : Items(d->capabilities))
        j.BeginObject().Key("offset").Hex(c->offset, 2).Key("id").Hex(c->id, 2).Key("name").String(
            CPCICapability::Name(c->id)).EndObject();
      j.EndArray().Key("extendedCapabilities").BeginArray();
      for (CPCICapability* c : Items(d->extendedCapabilities))
        j.BeginObject().Key("offset").Hex(c->offset, 3).Key("id").Hex(c->id, 4).Key("name").String(
            CPCICapability::ExtendedName(c->id)).EndObject();
      j.EndArray();
    }
    j.EndObject();
  }
  j.EndArray();
  std::printf("%s\n", j.Text().c_str());
}

int Pci(Session& s, const Args& a) {
  bool verbose = false;
  for (const auto& arg : a) {
    if (arg == "-v")
      verbose = true;
    else
      return Usage(*FindVerb("pci"));
  }
  if (!s.StartSdk(kSdkPci)) return kExitFailed;
  if (!QUARNSDK::GetInstance()->FindInterface(INTERFACE_PCI)) {
    std::fprintf(stderr, "torvikctl: the PCI bus is not available\n");
    return kExitFailed;
  }
  std::vector<CPCIDevice*> list = SortedDevices();
  s.Options().json ? PrintJson(list, verbose) : PrintText(list, verbose);
  return kExitOk;
}

}  // namespace

const std::vector<Verb>& PciVerbs() {
  static const std::vector<Verb> verbs = {
      {"pci", "[-v]", "PCI functions like lspci -n (-v: class, subsystem, capabilities)", &Pci},
  };
  return verbs;
}

}  // namespace cli
