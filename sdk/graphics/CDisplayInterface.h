// The display interface (type 0x20): every PCI display controller becomes a
// CDisplayAdapter, and the display APIs that can answer about it are
// attached in a fixed order: NVIDIA direct I/O, then the NVIDIA SDK (mask
// bit 0); ATI direct I/O, then the AMD SDK (mask bit 0); Intel direct I/O.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/core/CInterface.h"
#include "sdk/core/CTList.h"

class CDevice;
class CDisplayAPI;
class CDisplayAdapter;
class CIOSpace;
class CPCIDevice;

class CDisplayInterface : public CInterface {
 public:
  // Which backends a test or a caller wants instead of the standard set;
  // each gets the interface and returns a new API (not yet initialised).
  using BackendFactory = CDisplayAPI* (*)(CDisplayInterface& owner);

  explicit CDisplayInterface(uint32_t mask);
  ~CDisplayInterface() override;

  int Init() override;
  void Close() override;
  // Every adapter's refresh; once per polling cycle.
  void Refresh();

  CDisplayAdapter* FindAdapter(const CPCIDevice* pciDevice) const;
  CDisplayAdapter* FindAdapterByLocation(uint32_t bus, uint32_t device, uint32_t function) const;
  int FindAdapters(uint32_t vendor, uint32_t device, CTList<CDisplayAdapter>* out) const;
  CDisplayAdapter* AdapterAt(int index) const;
  int AdapterCount() const { return adapters->count; }
  // The adapters of one vendor code (DisplayVendorCode).
  std::vector<CDisplayAdapter*> AdaptersOf(uint32_t vendorCode) const;

  // The adapter's memory BAR at configuration offset `bar` (0x10 for BAR 0)
  // as a memory window of `size` bytes (the facade's window for that base
  // when there is one); null when the BAR is unreadable or not a memory BAR.
  CIOSpace* MapRegisters(CDisplayAdapter* adapter, uint32_t bar, uint32_t size);

  // Replaces the standard backends for the next Init (tests); null restores them.
  static void SetBackendsForTest(std::vector<BackendFactory> factories);

  CTList<CDevice>* adapters;    // nodes only; the adapters belong to the facade
  CTList<CDisplayAPI>* apis;    // owned
  uint32_t mask;

 private:
  void AddBackend(CDisplayAPI* api);
  void ClearAdapters();
};
