// The ACPI table reader: finds the power-management timer (FADT) and the
// HPET (HPET table), creates both time sources and keeps a few table values
// for the readers of other makers' machines.
#pragma once

#include <cstdint>
#include <string>

#include "sdk/core/CInterface.h"

class CTimer;

class CACPIInterface : public CInterface {
 public:
  CACPIInterface(int32_t hash, int32_t sum, int32_t detectionMask);
  ~CACPIInterface() override;
  int Init() override;
  void Close() override {}

  int32_t GetFacsAddress() const { return facsAddress; }
  int32_t GetPm1aEventBlock() const { return pm1aEventBlock; }
  const uint8_t* GetVendorRecord() const { return vendorRecord; }

  // Handlers of one table's bytes (both paths).
  void HandleFadt(const uint8_t* table, uint32_t length, bool checkFirstReading);
  void HandleVendorTable(const uint8_t* table, uint32_t length);
  void HandleHpet(const uint8_t* table, uint32_t length);

  uint8_t* rsdp = nullptr;  // 20 bytes
  uint8_t* rsdt = nullptr;  // 104 bytes
  int32_t facsAddress = -1;
  int32_t pm1aEventBlock = -1;
  CTimer* acpiTimer = nullptr;
  uint8_t* vendorRecord = nullptr;  // 48 bytes
  int32_t boardHash;
  int32_t boardSum;
  int32_t mask;

 private:
  bool FirmwareTablePath();
  void PhysicalPath();
};
