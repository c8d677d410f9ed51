#include "sdk/access/nVidia_SMBusRegisterSpace.h"

#include "sdk/access/SdkDriver.h"

bool nVidia_SMBusRegisterSpace::Run(uint8_t address, uint8_t command, uint8_t protocol) {
  Out(2, address);
  Out(3, command);
  Out(0, protocol);
  uint8_t status = In(1);
  if (status == 0xFF || !(status & 0x80)) {
    Wait(20);
    status = In(1);
  }
  // Done with no error code; an unreadable status is not success.
  return status != 0xFF && (status & 0x80) && !(status & 0x1F);
}

int nVidia_SMBusRegisterSpace::ReadByte(uint8_t slave, uint8_t command, uint8_t* value) {
  *value = 0;
  if (OnPortWindow()) {
    if (CKMDriver* d = SdkDriver()) {
      uint8_t v = 0xFF;
      int r = d->SMBusReadByteNVIDIA(io->GetBaseLow(), slave, command, &v);
      // The in-kernel read looks at the done bit only: an error code left
      // in the status makes its byte worthless.
      if (r == 1) {
        if (In(1) & 0x1F) return 0;
        *value = v;
        return 1;
      }
      if (r == 0) return 0;
    }
  }
  if (!Run(static_cast<uint8_t>(slave << 1), command, kReadByte)) return 0;
  *value = In(4);
  return 1;
}

int nVidia_SMBusRegisterSpace::ReadWord(uint8_t slave, uint8_t command, uint8_t* low, uint8_t* high) {
  *low = *high = 0;
  if (!Run(static_cast<uint8_t>(slave << 1), command, kReadWord)) return 0;
  *low = In(4);
  *high = In(5);
  return 1;
}

int nVidia_SMBusRegisterSpace::WriteByte(uint8_t slave, uint8_t command, uint8_t value) {
  Out(4, value);
  return Run(static_cast<uint8_t>(slave << 1), command, kWriteByte) ? 1 : 0;
}

int nVidia_SMBusRegisterSpace::WriteWord(uint8_t slave, uint8_t command, uint8_t low, uint8_t high) {
  Out(4, low);
  Out(5, high);
  return Run(static_cast<uint8_t>(slave << 1), command, kWriteWord) ? 1 : 0;
}
