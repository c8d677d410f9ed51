#include "sdk/access/Kernel_SMBusRegisterSpace.h"

bool Kernel_SMBusRegisterSpace::Transfer(SMBusTransfer& t) {
  switch (t.protocol) {
    case SMBusTransfer::kByteData:
      return t.read ? adapter_->ReadByte(t.slave, t.command, &t.data[0])
                    : adapter_->WriteByte(t.slave, t.command, t.data[0]);
    case SMBusTransfer::kWordData: {
      if (!t.read) return adapter_->WriteWord(t.slave, t.command, static_cast<uint16_t>(t.data[1] << 8 | t.data[0]));
      uint16_t w = 0;
      if (!adapter_->ReadWord(t.slave, t.command, &w)) return false;
      t.data[0] = static_cast<uint8_t>(w);
      t.data[1] = static_cast<uint8_t>(w >> 8);
      return true;
    }
    case SMBusTransfer::kBlockData: {
      const int n = t.read ? adapter_->ReadBlock(t.slave, t.command, t.data)
                           : adapter_->WriteBlock(t.slave, t.command, t.data, t.count);
      if (n < 0) return false;
      t.count = n;
      return true;
    }
  }
  return false;
}
