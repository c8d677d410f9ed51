// Capability structures of a PCI function: the list from the capabilities
// pointer (ids 0x01-0x11) and the extended list from offset 0x100.
#pragma once

#include <cstdint>

class CPCIDevice;

class CPCICapability {
 public:
  CPCICapability(int32_t capId, int32_t len = -1) : id(capId), length(len) {}
  virtual ~CPCICapability() { delete[] data; }
  virtual void ReadCapability(CPCIDevice*) {}
  virtual void Hook1(void*) {}
  virtual void Hook2(void*) {}

  int32_t id;
  int32_t offset = -1;
  int32_t length;
  uint8_t* data = nullptr;  // owned

  // The capability object for an id (a plain CPCICapability when no class knows it).
  static CPCICapability* Create(int32_t id);
  static CPCICapability* CreateExtended(int32_t id);
  // Short name for listings ("Power Management", "PCI Express", ...).
  static const char* Name(int32_t id);
  static const char* ExtendedName(int32_t id);

 protected:
  // Byte, word and dword of configuration space at offset + rel (all ones when unreadable).
  uint8_t Byte(CPCIDevice* d, int rel) const;
  uint16_t Word(CPCIDevice* d, int rel) const;
  uint32_t Dword(CPCIDevice* d, int rel) const;
};

// Capabilities whose presence is all that is recorded.
template <int32_t Id, int32_t Length>
class CPCICapsPresence : public CPCICapability {
 public:
  CPCICapsPresence() : CPCICapability(Id, Length) {}
};
using CPCICaps_VPD = CPCICapsPresence<0x03, 4>;
using CPCICaps_SlotID = CPCICapsPresence<0x04, 4>;
using CPCICaps_MSI = CPCICapsPresence<0x05, 4>;
using CPCICaps_CHSWP = CPCICapsPresence<0x06, 8>;
using CPCICaps_PCIX = CPCICapsPresence<0x07, 8>;
using CPCICaps_DBG = CPCICapsPresence<0x0A, -1>;
using CPCICaps_AGP8X = CPCICapsPresence<0x0E, -1>;
using CPCICaps_SD = CPCICapsPresence<0x0F, -1>;
using CPCICaps_MSIX = CPCICapsPresence<0x11, 8>;
using CPCICaps_AdvError = CPCICapsPresence<0x0001, 16>;
using CPCICaps_VChannel = CPCICapsPresence<0x0002, 16>;
using CPCICaps_SerialNumber = CPCICapsPresence<0x0003, 12>;
using CPCICaps_PowerBudgeting = CPCICapsPresence<0x0004, 16>;

class CPCICaps_PM : public CPCICapability {
 public:
  CPCICaps_PM() : CPCICapability(0x01, 8) {}
  void ReadCapability(CPCIDevice* d) override;
  const char* revision = "";  // "1.0", "1.1", "1.2" or empty
};

class CPCICaps_AGP : public CPCICapability {
 public:
  CPCICaps_AGP() : CPCICapability(0x02, 12) {}
  void ReadCapability(CPCIDevice* d) override;
  uint8_t version = 0;
  int supportedRate = 0, enabledRate = 0;  // 1, 2, 4 or 8 (x)
  int requestDepth = 0, requestDepthEnabled = 0;
  bool fastWritesSupported = false, fastWritesEnabled = false;
  bool above4GSupported = false, above4GEnabled = false;
  bool sidebandSupported = false, sidebandEnabled = false;
  bool agp3Mode = false, enabled = false;
};

class CPCICaps_HT : public CPCICapability {
 public:
  CPCICaps_HT() : CPCICapability(0x08, -1) {}
  void ReadCapability(CPCIDevice* d) override;
  int interfaceType = -1;
  int linkWidthIn = -1, linkWidthOut = -1;  // bits
  int revisionMajor = -1, revisionMinor = -1;
  int frequencyCode0 = -1, frequencyCode1 = -1;
  int deviceNumber = -1;
};

class CPCICaps_VD : public CPCICapability {
 public:
  CPCICaps_VD() : CPCICapability(0x09, 8) {}
  void ReadCapability(CPCIDevice* d) override;
};

class CPCICaps_SVID : public CPCICapability {
 public:
  CPCICaps_SVID() : CPCICapability(0x0D, 8) {}
  void ReadCapability(CPCIDevice* d) override;
  uint16_t subsystemVendorId = 0xFFFF, subsystemId = 0xFFFF;
};

class CPCICaps_PCIE : public CPCICapability {
 public:
  CPCICaps_PCIE() : CPCICapability(0x10, 28) {}
  void ReadCapability(CPCIDevice* d) override;
  int version = -1, portType = -1;
  bool slotImplemented = false;
  int maxLinkWidth = -1, portNumber = -1, linkWidth = -1;
  uint32_t slotPowerBits = 0;  // bits 22-27 of the slot capabilities
  bool presenceDetect = false;
};

class CPCICaps_RootLinkDecl : public CPCICapability {
 public:
  CPCICaps_RootLinkDecl() : CPCICapability(0x0005, 8) {}
  void ReadCapability(CPCIDevice* d) override;
  int linkEntries = -1, portNumber = -1;
};

class CPCICaps_VendorSpecific : public CPCICapability {
 public:
  CPCICaps_VendorSpecific() : CPCICapability(0x000B, 8) {}
  void ReadCapability(CPCIDevice* d) override;
  int vendorSpecificId = -1;
};
