#include "emu/chips/IntelSmbusHost.h"

#include <algorithm>

#include "emu/EmulatedMachine.h"
#include "emu/chips/IntelSmbusFunction.h"
#include "emu/smbus/SmbusBus.h"

namespace emu {

namespace {

constexpr uint8_t kW1cBits = IntelSmbusHost::kIntr | IntelSmbusHost::kDevErr | IntelSmbusHost::kBusErr |
                             IntelSmbusHost::kFailed | IntelSmbusHost::kAlert | IntelSmbusHost::kByteDone;

// Register offsets (ICH10 datasheet table 17-2).
enum : uint8_t {
  kHstSts = 0x00, kHstCnt = 0x02, kHstCmd = 0x03, kXmitSlva = 0x04, kHstD0 = 0x05, kHstD1 = 0x06,
  kBlockDb = 0x07, kPec = 0x08, kAuxSts = 0x0C, kAuxCtl = 0x0D, kSmbusPinCtl = 0x0F,
};

bool IsSpdAddress(uint8_t slave) { return slave >= 0x50 && slave <= 0x57; }

}  // namespace

IntelSmbusHost::IntelSmbusHost(EmulatedMachine& machine, std::shared_ptr<SmbusBus> bus,
                               IntelSmbusFunction* function, uint16_t base)
    : machine_(machine), bus_(std::move(bus)), function_(function), base_(base) {}

bool IntelSmbusHost::PortRead(uint16_t offset, int width, uint32_t* value) {
  if (function_ && !function_->DecodesIo(base_)) {
    *value = width == 4 ? 0xFFFFFFFF : width == 2 ? 0xFFFF : 0xFF;
    return true;
  }
  uint32_t v = 0;
  for (int i = 0; i < width; ++i)
    v |= static_cast<uint32_t>(ReadRegister(static_cast<uint8_t>(offset + i))) << (8 * i);
  *value = v;
  return true;
}

bool IntelSmbusHost::PortWrite(uint16_t offset, int width, uint32_t value) {
  if (function_ && !function_->DecodesIo(base_)) return true;
  for (int i = 0; i < width; ++i) WriteRegister(static_cast<uint8_t>(offset + i), static_cast<uint8_t>(value >> (8 * i)));
  return true;
}

bool IntelSmbusHost::Enabled() const {
  return !function_ || (function_->Hostc() & IntelSmbusFunction::kHostcHostEnable);
}

uint8_t IntelSmbusHost::ReadRegister(uint8_t reg) {
  Update();
  switch (reg) {
    case kHstSts: {
      const uint8_t v = status_;
      status_ |= kInUse;  // the semaphore: the next read finds it taken
      return v;
    }
    case kHstCnt:
      bufferIndex_ = 0;
      return control_ & ~kStart;
    case kHstCmd: return command_;
    case kXmitSlva: return address_;
    case kHstD0: return data0_;
    case kHstD1: return data1_;
    case kBlockDb:
      if (auxControl_ & kAuxE32b) return buffer_[bufferIndex_++ % 32];
      return blockData_;
    case kPec: return pec_;
    case kAuxSts: return auxStatus_;
    case kAuxCtl: return auxControl_;
    case kSmbusPinCtl: return 0x07;
    default: return 0x00;
  }
}

void IntelSmbusHost::WriteRegister(uint8_t reg, uint8_t value) {
  Update();
  switch (reg) {
    case kHstSts: {
      const bool byteDoneCleared = (value & kByteDone) && (status_ & kByteDone);
      status_ &= static_cast<uint8_t>(~(value & (kW1cBits | kInUse)));
      if (byteDoneCleared) ByteDoneCleared();
      break;
    }
    case kHstCnt:
      control_ = value & ~kStart;
      if ((value & kKill) && (status_ & kBusy)) {
        phase_ = Phase::Idle;
        status_ = static_cast<uint8_t>((status_ & ~(kBusy | kByteDone)) | kFailed);
      }
      if ((value & kStart) && !(control_ & kKill) && !(status_ & kBusy)) Start();
      break;
    case kHstCmd: command_ = value; break;
    case kXmitSlva: address_ = value; break;
    case kHstD0: data0_ = value; break;
    case kHstD1: data1_ = value; break;
    case kBlockDb:
      if (auxControl_ & kAuxE32b)
        buffer_[bufferIndex_++ % 32] = value;
      else
        blockData_ = value;
      break;
    case kPec: pec_ = value; break;
    case kAuxSts: auxStatus_ &= static_cast<uint8_t>(~value); break;
    case kAuxCtl: auxControl_ = value & 0x03; break;
    default: break;
  }
}

void IntelSmbusHost::Update() {
  const uint64_t now = machine_.Time().NowNs();
  if (phase_ == Phase::Running && now >= endNs_) {
    if (endLoadsData_) {
      data0_ = endData0_;
      data1_ = endData1_;
    }
    Finish(endStatus_);
  } else if (phase_ == Phase::NextByte && now >= endNs_) {
    if (blockRead_) {
      const bool first = streamPos_ == 0;
      // Past what the slave sends, the data line floats high.
      auto next = [&]() -> uint8_t { return streamPos_ < stream_.size() ? stream_[streamPos_++] : (++streamPos_, 0xFF); };
      if (first) data0_ = next();
      blockData_ = next();
      lastByte_ = (control_ & kLastByte) || streamPos_ - 1 >= announced_;
    } else {
      lastByte_ = sent_.size() >= data0_;
    }
    status_ |= kByteDone;
    phase_ = Phase::ByteDone;
  }
}

void IntelSmbusHost::Finish(uint8_t statusBits) {
  phase_ = Phase::Idle;
  endLoadsData_ = false;
  status_ = static_cast<uint8_t>((status_ & ~kBusy) | statusBits);
}

void IntelSmbusHost::Start() {
  const uint8_t slaveAddress = address_ >> 1;
  const bool read = address_ & 1;
  FaultRule fault;
  const bool faulted = machine_.Faults().Match(AccessKind::Smbus, slaveAddress, !read, &fault);
  if (!Enabled() || (faulted && fault.tag == "disabled")) return;

  const uint64_t now = machine_.Time().NowNs();
  const uint8_t protocol = (control_ & kProtocolMask) >> 2;
  status_ |= kBusy;
  bufferIndex_ = 0;
  if (faulted) {
    if (fault.tag == "busy") {
      phase_ = Phase::Stuck;
      return;
    }
    if (fault.tag == "collision") return ScheduleEnd(now + kByteNs, kBusErr);
    if (fault.tag == "failed") return ScheduleEnd(now + kByteNs, kFailed);
    if (fault.tag != "nobytedone") return ScheduleEnd(now + kByteNs, kDevErr);
  }
  SmbusSlave* slave = bus_->Find(slaveAddress);
  // The address byte is not acknowledged; SPD_WD refuses writes to the
  // SPD EEPROM addresses the same way.
  const bool spdLocked = function_ && (function_->Hostc() & IntelSmbusFunction::kHostcSpdWriteDisable) &&
                         !read && IsSpdAddress(slaveAddress);
  if (!slave || spdLocked) return ScheduleEnd(now + kByteNs, kDevErr);
  if (protocol == kBlock) return RunBlock(*slave, read, now, faulted);
  if (protocol > kWordData) return ScheduleEnd(now + kByteNs, kDevErr);  // not a protocol this host runs
  RunSimple(*slave, read, protocol, now);
}

void IntelSmbusHost::RunSimple(SmbusSlave& slave, bool read, uint8_t protocol, uint64_t startNs) {
  bool ack = true;
  unsigned bytes = 1;  // address
  uint8_t d0 = data0_, d1 = data1_;
  switch (protocol) {
    case kQuick:
      ack = slave.Quick(read);
      break;
    case kByte:
      bytes = 2;
      ack = read ? slave.ReceiveByte(&d0) : slave.SendByte(command_);
      break;
    case kByteData:
      bytes = read ? 4 : 3;
      ack = read ? slave.ReadByteData(command_, &d0) : slave.WriteByteData(command_, data0_);
      break;
    case kWordData: {
      bytes = read ? 5 : 4;
      uint16_t w = static_cast<uint16_t>(data1_ << 8 | data0_);
      ack = read ? slave.ReadWordData(command_, &w) : slave.WriteWordData(command_, w);
      d0 = static_cast<uint8_t>(w);
      d1 = static_cast<uint8_t>(w >> 8);
      break;
    }
    default:
      break;
  }
  ScheduleEnd(startNs + bytes * kByteNs, ack ? kIntr : kDevErr);
  if (ack && read) {
    endLoadsData_ = true;
    endData0_ = d0;
    endData1_ = d1;
  }
}

void IntelSmbusHost::RunBlock(SmbusSlave& slave, bool read, uint64_t startNs, bool noByteDone) {
  const bool buffered = auxControl_ & kAuxE32b;
  if (read) {
    std::vector<uint8_t> bytes;
    if (!slave.ReadBlockData(command_, &bytes) || bytes.empty()) return ScheduleEnd(startNs + 3 * kByteNs, kDevErr);
    const unsigned count = bytes[0];
    if (buffered) {
      // The whole block lands in the 32-byte buffer; HST_D0 gets the count
      // as the slave announced it.
      for (unsigned i = 0; i < 32; ++i) buffer_[i] = i + 1 < bytes.size() && i < count ? bytes[i + 1] : 0xFF;
      ScheduleEnd(startNs + (4 + std::min(count, 32u)) * kByteNs, kIntr);
      endLoadsData_ = true;
      endData0_ = static_cast<uint8_t>(count);
      endData1_ = data1_;
      return;
    }
    if (noByteDone) {
      phase_ = Phase::Stuck;
      return;
    }
    blockRead_ = true;
    stream_ = std::move(bytes);
    streamPos_ = 0;
    announced_ = count;
    phase_ = Phase::NextByte;
    endNs_ = startNs + 5 * kByteNs;  // address, command, address, count, first byte
    return;
  }
  const unsigned count = data0_;
  if (buffered) {
    std::vector<uint8_t> data(buffer_, buffer_ + std::min(count, 32u));
    return ScheduleEnd(startNs + (3 + count) * kByteNs, slave.WriteBlockData(command_, data) ? kIntr : kDevErr);
  }
  if (noByteDone) {
    phase_ = Phase::Stuck;
    return;
  }
  blockRead_ = false;
  blockSlave_ = &slave;
  sent_.assign(1, blockData_);
  phase_ = Phase::NextByte;
  endNs_ = startNs + 4 * kByteNs;  // address, command, count, first byte
}

void IntelSmbusHost::ByteDoneCleared() {
  if (phase_ != Phase::ByteDone) return;
  const uint64_t now = machine_.Time().NowNs();
  if (lastByte_) {
    if (blockRead_) return Finish(kIntr);
    const bool ack = blockSlave_->WriteBlockData(command_, sent_);
    blockSlave_ = nullptr;
    return Finish(ack ? kIntr : kDevErr);
  }
  if (!blockRead_) sent_.push_back(blockData_);
  phase_ = Phase::NextByte;
  endNs_ = now + kByteNs;
}

}  // namespace emu
