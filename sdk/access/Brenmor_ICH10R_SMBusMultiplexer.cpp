#include "sdk/access/Brenmor_ICH10R_SMBusMultiplexer.h"

#include "sdk/access/CIOSpace.h"
#include "boardid/BoardVendor.h"

Brenmor_ICH10R_SMBusMultiplexer::Brenmor_ICH10R_SMBusMultiplexer(CIOSpace* gpio)
    : CMultiplexer(static_cast<uint32_t>(kBoardVendorPciSubsystemId) << 16 | kBoardVendorIch10rMuxSubsystemDevice,
                   gpio) {}

int Brenmor_ICH10R_SMBusMultiplexer::SelectChannel(uint8_t channel) {
  auto* io = static_cast<CIOSpace*>(target);
  if (channel > 1) return 1;
  uint32_t level = 0;
  if (!io || !io->Read32(kLevel2, &level)) return 0;  // never write a level we could not read
  level |= kGpio53;
  if (channel == 0)
    level |= kGpio52;
  else
    level &= ~kGpio52;
  return io->Write32(kLevel2, level);
}

uint8_t Brenmor_ICH10R_SMBusMultiplexer::GetChannel() {
  auto* io = static_cast<CIOSpace*>(target);
  if (!io) return 0;
  const uint32_t both = kGpio52 | kGpio53;
  uint32_t v = 0;
  if (io->Read32(kUseSelect2, &v) && (v & both) != both) io->Write32(kUseSelect2, v | both);
  if (io->Read32(kIoSelect2, &v) && (v & both)) io->Write32(kIoSelect2, v & ~both);
  if (!io->Read32(kLevel2, &v)) return 0;
  if ((v & both) == kGpio53) return 1;
  if ((v & both) == both) return 0;
  io->Write32(kLevel2, v | both);
  return 0;
}
