#include "sdk/zundo/CZundo.h"

#include <chrono>
#include <cmath>

#include "platform/Machine.h"
#include "sdk/access/CMultiplexer.h"
#include "sdk/access/CSMBusInterface.h"
#include "sdk/access/CSMBusRegisterSpace.h"
#include "sdk/core/CInterface.h"
#include "sdk/core/QUARNSDK.h"

CZundo::CZundo(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t slave)
    : CDevice(DEVICE_ZUNDO), link_(space, mux, muxChannel, slave) {}

template <typename F>
int CZundo::Timed(F transaction) {
  plat::Machine& m = plat::CurrentMachine();
  const uint64_t start = m.TickCount();
  const auto wallStart = std::chrono::steady_clock::now();
  const int ok = transaction();
  const auto wallMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - wallStart).count();
  stuck_ = !ok && (m.TickCount() - start > kStuckMs || wallMs > kBusBusyMs);
  return ok;
}

int CZundo::Write(uint8_t reg, uint8_t value) {
  for (int t = 0; t < kWriteTries; ++t) {
    if (Timed([&] { return link_.WriteByte(reg, value); })) return 1;
    if (stuck_) break;
  }
  return 0;
}

int CZundo::Read(uint8_t reg, uint8_t* value) {
  return Timed([&] { return link_.ReadByte(reg, value); });
}

int CZundo::IoBase() const {
  CSMBusRegisterSpace* s = link_.smbusSpace;
  return s && s->io ? static_cast<int>(s->io->GetBaseLow()) : -1;
}

uint16_t ZundoWord(double units) {
  if (!std::isfinite(units) || units >= 2147483648.0 || units <= -2147483649.0) return 0xFFFF;
  return static_cast<uint16_t>(static_cast<int32_t>(units) & 0xFFFF);
}

uint16_t ZundoVoltWord(float volts) { return ZundoWord(std::nearbyint(static_cast<double>(volts) * 100.0)); }

std::vector<ZundoRegisterByte> ZundoRegisterBytes(const ZundoValues& v) {
  std::vector<uint16_t> words;
  if (v.dualProcessor)
    words = {ZundoWord(v.clockMHz), ZundoWord(v.cpu0Temperature), ZundoVoltWord(v.cpu0VCore),
             ZundoWord(v.cpu1Temperature), ZundoVoltWord(v.cpu1VCore)};
  else
    words = {ZundoWord(v.boardTemperature1), ZundoWord(v.boardTemperature2), ZundoVoltWord(v.cpu0VCore),
             ZundoWord(v.clockMHz)};
  std::vector<ZundoRegisterByte> bytes;
  uint8_t reg = 2;
  for (uint16_t w : words) {
    bytes.push_back({reg++, static_cast<uint8_t>(w & 0xFF)});
    bytes.push_back({reg++, static_cast<uint8_t>(w >> 8)});
  }
  return bytes;
}

namespace {

// The device at its address and channel, when both signature bytes read
// back; the second is read only after the first matched.
bool Answers(CZundo& z) {
  uint8_t b = 0xFF;
  if (!z.Read(CZundo::kSignatureRegister, &b) || b != CZundo::kSignature[0]) return false;
  return z.Read(CZundo::kSignatureRegister + 1, &b) && b == CZundo::kSignature[1];
}

std::unique_ptr<CZundo> ScanHost(CSMBusRegisterSpace* space, CTList<CMultiplexer>* muxes) {
  struct Route {
    CMultiplexer* mux;
    uint8_t channel;
  };
  std::vector<Route> routes;
  if (muxes && muxes->count) {
    for (CMultiplexer* m : Items(muxes))
      for (uint8_t c = 0; c < m->channelCount; ++c) routes.push_back({m, c});
  } else {
    routes.push_back({nullptr, 0});
  }
  for (const Route& r : routes)
    for (int a = CZundo::kFirstAddress; a <= CZundo::kLastAddress; ++a) {
      auto z = std::make_unique<CZundo>(space, r.mux, r.channel, static_cast<uint8_t>(a));
      if (Answers(*z)) return z;
      if (z->HostStuck()) return nullptr;  // the rest would time out the same way
    }
  return nullptr;
}

}  // namespace

std::vector<std::unique_ptr<CZundo>> FindZundos(QUARNSDK& sdk) {
  std::vector<std::unique_ptr<CZundo>> found;
  auto* smbus = static_cast<CSMBusInterface*>(sdk.FindInterface(INTERFACE_SMBUS));
  CTList<CRegisterSpace> spaces;
  sdk.FindRegisterSpaces(REGSPACE_SMBUS, &spaces);
  for (CRegisterSpace* s : Items(&spaces))
    if (auto z = ScanHost(static_cast<CSMBusRegisterSpace*>(s), smbus ? smbus->multiplexers : nullptr))
      found.push_back(std::move(z));
  return found;
}

std::vector<ZundoFeedReport> SendToZundo(QUARNSDK& sdk, const ZundoValues& values) {
  const std::vector<ZundoRegisterByte> bytes = ZundoRegisterBytes(values);
  std::vector<ZundoFeedReport> reports;
  for (const auto& z : FindZundos(sdk)) {
    ZundoFeedReport r{z->IoBase(), z->Address(), z->Multiplexer() ? z->Channel() : -1, z->Space()->ClassName(), 0,
                      false};
    for (const ZundoRegisterByte& b : bytes) {
      if (!z->Write(b.reg, b.value)) break;
      ++r.written;
    }
    r.complete = r.written == static_cast<int>(bytes.size());
    reports.push_back(r);
  }
  return reports;
}
