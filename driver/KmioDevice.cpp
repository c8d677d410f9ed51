#include "driver/KmioDevice.h"

#include <chrono>
#include <cstring>

#include "driver/DriverProtocol.h"

namespace drv {

namespace {

bool BufferInside(UserBuffer user, uintptr_t pointer, uint32_t length) {
  auto base = reinterpret_cast<uintptr_t>(user.data);
  if (!user.data || length == 0 || pointer < base) return false;
  uintptr_t offset = pointer - base;
  return offset <= user.size && length <= user.size - offset;
}

}  // namespace

KmioDevice::~KmioDevice() { ReleaseAllMappings(); }

void KmioDevice::ReleaseAllMappings() {
  std::lock_guard<std::mutex> g(mappingsMutex_);
  for (auto& m : mappings_) {
    if (m.handle) hw_.PhysicalUnmap(m.handle, m.length);
    m = KeptMapping{};
  }
}

int KmioDevice::KeptMappingCount() const {
  std::lock_guard<std::mutex> g(mappingsMutex_);
  int n = 0;
  for (const auto& m : mappings_) n += m.handle != 0;
  return n;
}

uint32_t KmioDevice::IoControl(uint32_t code, const void* inRaw, uint32_t inSize, void* outRaw, uint32_t outSize,
                               uint32_t* returned, UserBuffer user) {
  if (returned) *returned = 0;
  if (code >> 16 != kDeviceType || (code & 3) != 0) return kErrorInvalidParameter;
  const uint32_t function = FunctionOf(code);
  const RequestSize* size = FindRequestSize(function);
  if (!size) return kErrorInvalidParameter;
  if (inSize < size->input || outSize < size->output) return kErrorInvalidParameter;
  if ((size->input && !inRaw) || (size->output && !outRaw)) return kErrorInvalidParameter;

  // Requests are copied in and out word by word: the caller's buffers need no alignment.
  uint32_t in[8] = {};
  uint32_t out[11] = {};
  if (size->input) std::memcpy(in, inRaw, size->input < sizeof(in) ? size->input : sizeof(in));
  uint32_t status = kErrorSuccess;

  switch (function) {
    case kReadMsr: {
      uint64_t v = 0;
      if (!hw_.MsrRead(in[0], &v)) return kErrorIo;
      out[0] = static_cast<uint32_t>(v);
      out[1] = static_cast<uint32_t>(v >> 32);
      break;
    }
    case kWriteMsr: {
      uint64_t v = static_cast<uint64_t>(in[1]) << 32 | in[2];
      if (!hw_.MsrWrite(in[0], v)) return kErrorIo;
      out[0] = in[2];
      out[1] = in[1];
      break;
    }
    case kReadPort8:
    case kReadPort16:
    case kReadPort32: {
      int width = function == kReadPort8 ? 1 : function == kReadPort16 ? 2 : 4;
      if (in[0] > 0xFFFF) return kErrorInvalidParameter;
      uint32_t v = 0;
      if (!hw_.PortRead(static_cast<uint16_t>(in[0]), width, &v)) return kErrorIo;
      out[0] = v;
      break;
    }
    case kWritePort8:
    case kWritePort16:
    case kWritePort32: {
      int width = function == kWritePort8 ? 1 : function == kWritePort16 ? 2 : 4;
      if (in[0] > 0xFFFF) return kErrorInvalidParameter;
      uint32_t mask = width == 1 ? 0xFF : width == 2 ? 0xFFFF : 0xFFFFFFFF;
      if (!hw_.PortWrite(static_cast<uint16_t>(in[0]), width, in[1] & mask)) return kErrorIo;
      break;
    }
    case kReadPhysicalBlock:
      status = ReadPhysicalBlock(in, user);
      break;
    case kWritePhysical32: {
      uint64_t address = static_cast<uint64_t>(in[0]) << 32 | in[1];
      if (!hw_.PhysicalWrite(address, &in[2], 4)) return kErrorIo;
      break;
    }
    case kWritePhysical8: {
      // One byte-wide access: memory-mapped registers beside the byte are
      // neither read nor written.
      uint64_t address = static_cast<uint64_t>(in[0]) << 32 | in[1];
      const uint8_t byte = static_cast<uint8_t>(in[2]);
      if (!hw_.PhysicalWrite(address, &byte, 1)) return kErrorIo;
      break;
    }
    case kGetVersion:
      out[0] = kDriverVersion;
      break;
    case kReadPciConfig:
    case kWritePciConfig:
      status = PciConfig(function == kWritePciConfig, in, out, user);
      break;
    case kMapPhysical:
      status = MapPhysical(in, out);
      break;
    case kUnmapPhysical:
      status = UnmapPhysical(in);
      break;
    case kMsrRate:
      status = MsrRate(in, out);
      break;
    case kSmbusReadByteIntel:
      status = SmbusReadIntel(in, out);
      break;
    case kSmbusReadByteNvidia:
      status = SmbusReadNvidia(in, out);
      break;
    case kCallSmi: {
      uint32_t regs[4] = {in[0], in[1], in[2], in[3]};
      if (!hw_.CallSmi(regs)) return kErrorNotSupported;
      std::memcpy(out, regs, sizeof(regs));
      break;
    }
    default:
      // IA-64 and ACPI namespace functions: not available on this platform.
      return kErrorNotSupported;
  }
  if (status != kErrorSuccess) return status;
  std::memcpy(outRaw, out, size->output);
  if (returned) *returned = size->output;
  return kErrorSuccess;
}

uint32_t KmioDevice::ReadPhysicalBlock(const uint32_t* in, UserBuffer user) {
  const uint64_t address = static_cast<uint64_t>(in[0]) << 32 | in[1];
  const uint32_t length = in[2];
  const uintptr_t pointer = JoinPointer(in[3], in[4]);
  if (length == 0 || !BufferInside(user, pointer, length)) return kErrorInvalidParameter;
  void* dest = reinterpret_cast<void*>(pointer);
  {
    std::lock_guard<std::mutex> g(mappingsMutex_);
    for (const auto& m : mappings_) {
      if (m.handle && address >= m.address && address + length <= m.address + m.length)
        return hw_.PhysicalReadMapped(m.handle, static_cast<uint32_t>(address - m.address), dest, length)
                   ? kErrorSuccess
                   : kErrorIo;
    }
  }
  return hw_.PhysicalRead(address, dest, length) ? kErrorSuccess : kErrorIo;
}

uint32_t KmioDevice::PciConfig(bool write, const uint32_t* in, uint32_t* out, UserBuffer user) {
  const uint32_t bus = in[0], device = in[1], function = in[2], offset = in[3], length = in[4];
  const uintptr_t pointer = JoinPointer(in[5], in[6]);
  if (bus > 255 || device > 31 || function > 7 || offset > 0xFFF || length == 0 || length > 0x1000 - offset)
    return kErrorInvalidParameter;
  if (!BufferInside(user, pointer, length)) return kErrorInvalidParameter;
  void* data = reinterpret_cast<void*>(pointer);
  out[0] = write ? hw_.PciConfigWrite(bus, device, function, offset, data, length)
                 : hw_.PciConfigRead(bus, device, function, offset, data, length);
  return kErrorSuccess;
}

uint32_t KmioDevice::MapPhysical(const uint32_t* in, uint32_t* out) {
  const uint64_t address = static_cast<uint64_t>(in[0]) << 32 | in[1];
  const uint32_t length = in[2];
  if (length == 0) return kErrorInvalidParameter;
  std::lock_guard<std::mutex> g(mappingsMutex_);
  for (const auto& m : mappings_) {
    if (m.handle && address >= m.address && address + length <= m.address + m.length) {
      out[0] = static_cast<uint32_t>(m.handle);
      out[1] = static_cast<uint32_t>(m.handle >> 32);
      return kErrorSuccess;
    }
  }
  KeptMapping* slot = nullptr;
  for (auto& m : mappings_)
    if (!m.handle) {
      slot = &m;
      break;
    }
  if (!slot) return kErrorSuccess;  // table full: handle 0, reads map per request
  uint64_t handle = hw_.PhysicalMap(address, length);
  if (!handle) return kErrorIo;
  *slot = {address, length, handle};
  out[0] = static_cast<uint32_t>(handle);
  out[1] = static_cast<uint32_t>(handle >> 32);
  return kErrorSuccess;
}

uint32_t KmioDevice::UnmapPhysical(const uint32_t* in) {
  const uint64_t address = static_cast<uint64_t>(in[0]) << 32 | in[1];
  const uint32_t length = in[2];
  std::lock_guard<std::mutex> g(mappingsMutex_);
  for (auto& m : mappings_) {
    if (m.handle && m.address == address && m.length == length) {
      hw_.PhysicalUnmap(m.handle, m.length);
      m = KeptMapping{};
      return kErrorSuccess;
    }
  }
  return kErrorInvalidParameter;
}

uint32_t KmioDevice::MsrRate(const uint32_t* in, uint32_t* out) {
  if (in[0] > 0xFFFF) return kErrorInvalidParameter;
  const auto port = static_cast<uint16_t>(in[0]);
  const uint32_t msr = in[1];
  auto readTimer = [&](uint32_t* t) {
    uint32_t v = 0;
    if (!hw_.PortRead(port, 4, &v)) return false;
    *t = v & 0xFFFFFF;
    return true;
  };
  auto ticksSince = [](uint32_t start, uint32_t now) {
    // The timer wraps at 2^24; a smaller reading adds 2^24 - 1.
    return now >= start ? now - start : now + 0xFFFFFFu - start;
  };
  // One reading pair: the timer between two counter reads. Preemption (or
  // an interrupt) between the halves shows as a wide bracket; of a few pairs
  // the narrowest is kept, its counter value the middle of its bracket.
  auto pair = [&](uint64_t* m, uint32_t* timer) {
    uint64_t narrowest = ~0ull;
    for (int i = 0; i < kBracketTries; ++i) {
      uint64_t before = 0, after = 0;
      uint32_t tt = 0;
      if (!hw_.MsrRead(msr, &before) || !readTimer(&tt) || !hw_.MsrRead(msr, &after)) return false;
      if (after < before || after - before >= narrowest) continue;
      narrowest = after - before;
      *m = before + narrowest / 2;
      *timer = tt;
    }
    return narrowest != ~0ull;
  };
  uint64_t m0 = 0, m1 = 0;
  uint32_t t0 = 0, t = 0;
  if (!pair(&m0, &t0)) return kErrorIo;
  // The wait is about 4 ms on a running timer. Whatever the port returns
  // (nothing that runs, or something that changes too slowly, like the
  // upper half of a timer) the request holds the channel for a bounded
  // number of readings and a bounded time only. A running timer changes
  // every 280 ns, so a hundred thousand equal readings in a row end it
  // early.
  const auto deadline = std::chrono::steady_clock::now() + kMaxRateWait;
  uint32_t last = t0;
  long unchanged = 0;
  long readings = 0;
  do {
    if (!readTimer(&t)) return kErrorIo;
    unchanged = t == last ? unchanged + 1 : 0;
    last = t;
    if (unchanged >= 100000 || ++readings >= kMaxRateReadings) return kErrorIo;
    if ((readings & 1023) == 0 && std::chrono::steady_clock::now() > deadline) return kErrorIo;
  } while (ticksSince(t0, t) < kPmTimerTicksToWait);
  if (!pair(&m1, &t)) return kErrorIo;
  const double dt = ticksSince(t0, t);
  const float rate = static_cast<float>(static_cast<double>(m1 - m0) / dt * kPmTimerMHz);
  out[0] = 0;
  std::memcpy(&out[1], &rate, sizeof(rate));
  return kErrorSuccess;
}

uint32_t KmioDevice::SmbusReadIntel(const uint32_t* in, uint32_t* out) {
  if (in[0] > 0xFFF8) return kErrorInvalidParameter;
  const auto base = static_cast<uint16_t>(in[0]);
  const uint32_t slave = in[1] & 0x7F, command = in[2] & 0xFF;
  uint32_t v = 0;
  bool ok = hw_.PortWrite(base + 0, 1, 0xFF) && hw_.PortWrite(base + 4, 1, slave << 1 | 1) &&
            hw_.PortWrite(base + 3, 1, command) && hw_.PortRead(base + 2, 1, &v);
  if (!ok) return kErrorIo;
  uint32_t control = (v & 0xA8) | 0x08;
  if (!hw_.PortWrite(base + 2, 1, control)) return kErrorIo;
  hw_.StallMicroseconds(5);
  if (!hw_.PortWrite(base + 2, 1, control | 0x40)) return kErrorIo;
  hw_.StallMicroseconds(100);
  uint32_t status = 0xFF;
  int polls = 0;
  for (; polls < 1000; ++polls) {
    if (!hw_.PortRead(base + 0, 1, &status)) return kErrorIo;
    if (!(status & 0x01)) break;
    hw_.StallMicroseconds(20);
  }
  out[0] = 0;
  out[1] = 0;
  out[2] = 0;
  if (polls == 1000) {
    out[2] = 0xEE;
  } else if (!(status & 0x1C) && (status & 0x02)) {
    // Success needs the completion bit too: a host that never ran the
    // transaction (disabled, or its start not taken) shows no error bits
    // either, and its data register holds an older byte.
    uint32_t data = 0;
    if (hw_.PortRead(base + 5, 1, &data)) {
      out[0] = 1;
      out[1] = data & 0xFF;
    }
  }
  out[3] = status & 0xFF;
  uint32_t now = 0;
  if (hw_.PortRead(base + 0, 1, &now)) hw_.PortWrite(base + 0, 1, (now | 0x44) & 0xFF);
  return kErrorSuccess;
}

uint32_t KmioDevice::SmbusReadNvidia(const uint32_t* in, uint32_t* out) {
  if (in[0] > 0xFFF8) return kErrorInvalidParameter;
  const auto base = static_cast<uint16_t>(in[0]);
  const uint32_t slave = in[1] & 0x7F, command = in[2] & 0xFF;
  bool ok = hw_.PortWrite(base + 3, 1, command) && hw_.PortWrite(base + 2, 1, slave << 1 | 1) &&
            hw_.PortWrite(base + 0, 1, 0x07);
  if (!ok) return kErrorIo;
  uint32_t status = 0;
  int left = 1000;
  for (; left > 0; --left) {
    if (!hw_.PortRead(base + 1, 1, &status)) return kErrorIo;
    if (status & 0x80) break;
    hw_.StallMicroseconds(1);
  }
  uint32_t data = 0xFF;
  out[0] = 0;
  if (left > 0 && hw_.PortRead(base + 4, 1, &data)) out[0] = 1;
  out[1] = data & 0xFF;
  out[2] = status & 0xFF;
  out[3] = static_cast<uint32_t>(left);
  return kErrorSuccess;
}

}  // namespace drv
