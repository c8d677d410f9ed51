// The driver's I/O control protocol: function codes, control codes and the
// sizes of every request's input and output buffers. All fields are unsigned
// 32-bit little-endian words.
#pragma once

#include <cstdint>

namespace drv {

inline constexpr uint32_t kDeviceType = 0x9C40;
inline constexpr uint32_t kDriverVersion = 0x135;

// The ACPI power-management timer counts at 3.579545 MHz on every chipset.
inline constexpr double kPmTimerHz = 3579545.0;

// Configuration mechanism #1: address latch at 0xCF8, data window 0xCFC-0xCFF.
inline constexpr uint16_t kPciConfigAddressPort = 0xCF8;
inline constexpr uint16_t kPciConfigDataPort = 0xCFC;

constexpr uint32_t ControlCode(uint32_t function) { return kDeviceType << 16 | function << 2; }
constexpr uint32_t FunctionOf(uint32_t code) { return (code >> 2) & 0xFFF; }

enum Function : uint32_t {
  kReadMsr = 0x900,
  kReadPort8 = 0x901,
  kWritePort8 = 0x902,
  kReadPort16 = 0x903,
  kWritePort16 = 0x904,
  kReadPort32 = 0x905,
  kWritePort32 = 0x906,
  kReadPhysicalBlock = 0x908,
  kWriteMsr = 0x909,
  kWritePhysical32 = 0x90C,
  kGetVersion = 0x90E,
  kIa64IdRegisters = 0x910,
  kIa64FirmwareCall = 0x911,
  kReadPciConfig = 0x912,
  kWritePciConfig = 0x913,
  kAcpiRoot = 0x914,
  kAcpiChild = 0x915,
  kAcpiEvaluate = 0x916,
  kMapPhysical = 0x917,
  kUnmapPhysical = 0x918,
  kMsrRate = 0x919,
  kSmbusReadByteIntel = 0x91A,
  kSmbusReadByteNvidia = 0x92A,
  kCallSmi = 0x940,
  kAcpiGlobalLock = 0x942,
};

struct RequestSize {
  uint32_t function;
  uint32_t input;
  uint32_t output;
};

// Minimum buffer sizes per function, in the order of the protocol table.
inline constexpr RequestSize kRequestSizes[] = {
    {kReadMsr, 4, 8},           {kReadPort8, 4, 8},           {kWritePort8, 8, 8},
    {kReadPort16, 4, 8},        {kWritePort16, 8, 8},         {kReadPort32, 4, 8},
    {kWritePort32, 8, 8},       {kReadPhysicalBlock, 20, 8},  {kWriteMsr, 12, 8},
    {kWritePhysical32, 12, 8},  {kGetVersion, 0, 4},          {kIa64IdRegisters, 4, 8},
    {kIa64FirmwareCall, 32, 8}, {kReadPciConfig, 28, 4},      {kWritePciConfig, 28, 4},
    {kAcpiRoot, 8, 44},         {kAcpiChild, 12, 36},         {kAcpiEvaluate, 28, 8},
    {kMapPhysical, 12, 8},      {kUnmapPhysical, 12, 8},      {kMsrRate, 8, 8},
    {kSmbusReadByteIntel, 12, 16}, {kSmbusReadByteNvidia, 12, 16}, {kCallSmi, 16, 16},
    {kAcpiGlobalLock, 20, 8},
};

inline const RequestSize* FindRequestSize(uint32_t function) {
  for (const auto& r : kRequestSizes)
    if (r.function == function) return &r;
  return nullptr;
}

// System error codes the protocol answers with (Linux errno values).
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;  // ENOENT: the driver is not installed
inline constexpr uint32_t kErrorAccessDenied = 13;  // EACCES
inline constexpr uint32_t kErrorNoDevice = 19;      // ENODEV
inline constexpr uint32_t kErrorInvalidParameter = 22;  // EINVAL
inline constexpr uint32_t kErrorNotSupported = 95;      // EOPNOTSUPP: the function is not available
inline constexpr uint32_t kErrorIo = 5;                 // EIO: the hardware access failed

// Split and join user-mode buffer addresses the way requests carry them.
inline uint32_t PointerHigh(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p) >> 32); }
inline uint32_t PointerLow(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
inline uintptr_t JoinPointer(uint32_t high, uint32_t low) { return static_cast<uintptr_t>(high) << 32 | low; }

}  // namespace drv
