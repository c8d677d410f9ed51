// The vendor's hand-held overclocking device. It plugs into a header of the
// board and sits on the board's SMBus as a byte-register slave at one of
// 0x58 ... 0x5F, answering "ZU" at registers 0 and 1; it shows the values
// written into its registers 2 ... 11 (each a 16-bit word, low byte at the
// even register).
//
// Every transaction goes through the host's register space like any other
// chip driver's: the SMBus mutex for that one transaction, the bus switch's
// channel selected around it, and the host's own completion and error bits
// decide success. Nothing is kept between feeds: each feed scans again, so
// a device plugged in while the program runs is found on the next one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sdk/access/CSMBusDevice.h"
#include "sdk/core/CDevice.h"

class CMultiplexer;
class CSMBusRegisterSpace;
class QUARNSDK;

class CZundo : public CDevice {
 public:
  static constexpr uint8_t kFirstAddress = 0x58;
  static constexpr uint8_t kLastAddress = 0x5F;
  static constexpr uint8_t kSignatureRegister = 0;
  static constexpr uint8_t kSignature[2] = {'Z', 'U'};
  // Tries of one register write; each try is one complete host
  // transaction bounded by the host's poll limit (1 ms polls).
  static constexpr int kWriteTries = 3;
  // A transaction that took longer than this on the machine's clock ended
  // in the host's time-out (a stuck host, not an error bit), and one that
  // took longer than kBusBusyMs of wall time waited in vain for the bus
  // mutex another program holds: nothing more is tried on that host in this
  // feed, so the poll never holds its locks for seconds.
  static constexpr uint64_t kStuckMs = 50;
  static constexpr int64_t kBusBusyMs = 500;

  CZundo(CSMBusRegisterSpace* space, CMultiplexer* mux, uint8_t muxChannel, uint8_t slave);
  const char* GetName() override { return "Zundo"; }

  // One byte-data write; nonzero when the host completed it without an
  // error bit, retried up to kWriteTries times while the host answers.
  int Write(uint8_t reg, uint8_t value);
  // One byte-data read; the value is 0xFF unless it succeeded.
  int Read(uint8_t reg, uint8_t* value);
  // The last transaction ran into the host's time-out or a busy bus.
  bool HostStuck() const { return stuck_; }

  CSMBusRegisterSpace* Space() const { return link_.smbusSpace; }
  CMultiplexer* Multiplexer() const { return link_.multiplexer; }
  uint8_t Channel() const { return link_.channel; }
  uint8_t Address() const { return link_.slave; }
  // The host's I/O base, -1 when it has none (a kernel-owned adapter).
  int IoBase() const;

 private:
  template <typename F>
  int Timed(F transaction);

  // Not registered with the facade: a feed's scan makes and drops these.
  CSMBusDevice link_;
  bool stuck_ = false;
};

// The monitoring values a feed sends; -1 where the SDK does not know one.
struct ZundoValues {
  bool dualProcessor = false;     // the two DP boards lay the registers out differently
  float clockMHz = -1.0f;         // processor 0, core 0
  float boardTemperature1 = -1.0f;  // sensor 0x01000200
  float boardTemperature2 = -1.0f;  // sensor 0x02000200
  float cpu0Temperature = -1.0f;  // processor 0, core 0
  float cpu1Temperature = -1.0f;  // processor 1, core 0
  float cpu0VCore = -1.0f;        // sensor 0x01000100, volts
  float cpu1VCore = -1.0f;        // sensor 0x41000100, volts
};

// One register write of a feed.
struct ZundoRegisterByte {
  uint8_t reg;
  uint8_t value;
  bool operator==(const ZundoRegisterByte&) const = default;
};

// The register bytes of a value set, in ascending register order, as 16-bit
// words low byte first. An unknown value (-1) is sent as it is (0xFFFF, or
// -100 = 0xFF9C for a voltage), which the device shows as absent.
std::vector<ZundoRegisterByte> ZundoRegisterBytes(const ZundoValues& values);
// A clock or temperature: whole units, truncated toward zero, kept to 16
// bits. Beyond what an int holds (or not a number): 0xFFFF, unknown.
uint16_t ZundoWord(double units);
// A voltage in hundredths of a volt, to the nearest hundredth: a reading of
// 1.15 V is 1.1499999 as a float and must not show as 1.14.
uint16_t ZundoVoltWord(float volts);

// The Zundo on each SMBus host: for every SMBus register space of the SDK,
// the first address of 0x58 ... 0x5F (through every channel of every bus
// switch) whose registers 0 and 1 read "ZU". At most one per host.
std::vector<std::unique_ptr<CZundo>> FindZundos(QUARNSDK& sdk);

// What one feed did on one device.
struct ZundoFeedReport {
  int ioBase;
  uint8_t address;
  int channel;  // the bus switch's channel, -1 without a switch
  const char* hostClass;
  int written;  // register bytes written successfully
  bool complete;  // every byte of the set was written
};

// Finds the devices and writes the value set into each. A device whose
// write fails after its tries gets nothing more this feed (it was unplugged
// or the bus is stuck). Returns one report per device found.
std::vector<ZundoFeedReport> SendToZundo(QUARNSDK& sdk, const ZundoValues& values);
