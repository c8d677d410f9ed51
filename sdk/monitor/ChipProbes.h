// Identification probes of monitoring chips, run through a register space
// and a request before any driver exists. Each returns true when it
// recognised a chip and fills the vendor code and chip code the factory
// takes. They read identification registers and restore the bank select
// they touch.
#pragma once

#include <cstdint>

class CRegisterSpace;
class CIORequest;

struct ProbeResult {
  uint32_t vendor = 0;
  uint32_t chipCode = 0;
};

// Winbond/Nuvoton family (vendor id in 0x4F, banked by 0x4E bit 7; chip id
// 0x58). `superIoId` is the Super I/O chip id, 0 on the SMBus.
bool ProbeWinbondFamily(CRegisterSpace* space, CIORequest* request, uint32_t superIoId, ProbeResult* out);
// Nuvoton chips that keep their ids at 0xFD/0xFE (NCT7802, W83795G).
bool ProbeNuvotonBanked(CRegisterSpace* space, CIORequest* request, ProbeResult* out);
// ITE: 0x58 reads 0x90.
bool ProbeITE(CRegisterSpace* space, CIORequest* request, uint32_t superIoId, ProbeResult* out);

// SMSC on the SMBus: 0x3E = 0x55/0x5C (chip code 0x8C when 0x3D says so,
// else 0x3F), and independently 0xFE = 0x5D with 0xFF = 0x01 (chip code 1).
// Fills up to two results; returns how many.
int ProbeSMSC(CRegisterSpace* space, CIORequest* request, ProbeResult out[2]);
// SMSC behind a Super I/O: the chip code follows from the Super I/O chip id.
bool ProbeSMSCChipId(int32_t superIoChipId, ProbeResult* out);
bool ProbeAnalogDevices(CRegisterSpace* space, CIORequest* request, ProbeResult* out);
bool ProbeMaxim(CRegisterSpace* space, CIORequest* request, ProbeResult* out);
bool ProbeAndigilog(CRegisterSpace* space, CIORequest* request, ProbeResult* out);
bool ProbeVIA(CRegisterSpace* space, CIORequest* request, ProbeResult* out);
// National Semiconductor on the SMBus (LM-series ids at 0xFE/0xFF, 0x3E).
bool ProbeNational(CRegisterSpace* space, CIORequest* request, ProbeResult* out);
