// The configuration header of a PCI function: the common first 16 bytes and
// the typed rest (type 0 device, type 1 PCI-to-PCI bridge, type 2 CardBus
// bridge). Every field is preset to all ones until read.
#pragma once

#include <cstdint>

class CPCIDevice;

class CPCICommonHeader {
 public:
  virtual ~CPCICommonHeader() = default;
  uint16_t vendorId = 0xFFFF, deviceId = 0xFFFF, command = 0xFFFF, status = 0xFFFF;
  uint8_t revision = 0xFF, progIf = 0xFF, subclass = 0xFF, classCode = 0xFF;
  uint8_t cacheLineSize = 0xFF, latencyTimer = 0xFF, headerType = 0xFF, bist = 0xFF;

  // From the dwords at 0x00, 0x04, 0x08 and 0x0C.
  void Decode(const uint32_t dw[4]);
};

class CPCIHeader {
 public:
  explicit CPCIHeader(int32_t t) : headerType(t) {}
  virtual ~CPCIHeader() = default;
  virtual uint8_t GetCapabilitiesPointer() { return 0xFF; }
  virtual uint16_t GetSubsystemVendorId() { return 0xFFFF; }
  virtual uint16_t GetSubsystemId() { return 0xFFFF; }
  // Reads the header through the device's space and publishes its windows.
  virtual void ReadHeader(CPCIDevice* device) = 0;
  virtual void Hook1(void*) {}
  virtual void Hook2(void*) {}

  int32_t headerType;

 protected:
  // Registers the window a base address register decodes (value above 3).
  static void PublishWindow(uint32_t bar);
  // Reads the 64 bytes of the header into `dw` (entries left all ones on failure).
  static void ReadDwords(CPCIDevice* device, uint32_t dw[16]);
};

class CPCIHeaderType0 : public CPCIHeader {
 public:
  CPCIHeaderType0() : CPCIHeader(0) {}
  uint8_t GetCapabilitiesPointer() override { return capabilitiesPointer; }
  uint16_t GetSubsystemVendorId() override { return subsystemVendorId; }
  uint16_t GetSubsystemId() override { return subsystemId; }
  void ReadHeader(CPCIDevice* device) override;

  uint32_t bar[6] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  uint32_t cardbusCis = 0xFFFFFFFF;
  uint16_t subsystemVendorId = 0xFFFF, subsystemId = 0xFFFF;
  uint32_t expansionRom = 0xFFFFFFFF;
  uint8_t capabilitiesPointer = 0xFF;
  uint8_t interruptLine = 0xFF, interruptPin = 0xFF, minGrant = 0xFF, maxLatency = 0xFF;
};

class CPCIHeaderType1 : public CPCIHeader {
 public:
  CPCIHeaderType1() : CPCIHeader(1) {}
  uint8_t GetCapabilitiesPointer() override { return capabilitiesPointer; }
  void ReadHeader(CPCIDevice* device) override;

  uint32_t bar[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  uint8_t primaryBus = 0xFF, secondaryBus = 0xFF, subordinateBus = 0xFF, secondaryLatency = 0xFF;
  uint8_t ioBase = 0xFF, ioLimit = 0xFF;
  uint16_t secondaryStatus = 0xFFFF;
  uint16_t memoryBase = 0xFFFF, memoryLimit = 0xFFFF;
  uint16_t prefetchBase = 0xFFFF, prefetchLimit = 0xFFFF;
  uint32_t prefetchBaseUpper = 0xFFFFFFFF, prefetchLimitUpper = 0xFFFFFFFF;
  uint16_t ioBaseUpper = 0xFFFF, ioLimitUpper = 0xFFFF;
  uint8_t capabilitiesPointer = 0xFF;
  uint32_t expansionRom = 0xFFFFFFFF;
  uint8_t interruptLine = 0xFF, interruptPin = 0xFF;
  uint16_t bridgeControl = 0xFFFF;
};

class CPCIHeaderType2 : public CPCIHeader {
 public:
  CPCIHeaderType2() : CPCIHeader(2) {}
  uint8_t GetCapabilitiesPointer() override { return capabilitiesPointer; }
  uint16_t GetSubsystemVendorId() override { return subsystemVendorId; }
  uint16_t GetSubsystemId() override { return subsystemId; }
  void ReadHeader(CPCIDevice* device) override;

  uint32_t socketBase = 0xFFFFFFFF;
  uint8_t capabilitiesPointer = 0xFF;
  uint16_t secondaryStatus = 0xFFFF;
  uint8_t pciBus = 0xFF, cardbusBus = 0xFF, subordinateBus = 0xFF, cardbusLatency = 0xFF;
  uint32_t memoryBase[2] = {0xFFFFFFFF, 0xFFFFFFFF}, memoryLimit[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  uint32_t ioBase[2] = {0xFFFFFFFF, 0xFFFFFFFF}, ioLimit[2] = {0xFFFFFFFF, 0xFFFFFFFF};
  uint8_t interruptLine = 0xFF, interruptPin = 0xFF;
  uint16_t bridgeControl = 0xFFFF;
  uint16_t subsystemVendorId = 0xFFFF, subsystemId = 0xFFFF;
  uint32_t legacyBase = 0xFFFFFFFF;
};
