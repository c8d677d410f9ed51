#include "sdk/cpu/IntelNaming.h"

#include <cstddef>

namespace {

// Sockets 0x10001.., in code order.
const char* const kSockets[] = {
    "Socket 4 (273)", "Socket 5 (296)", "TCP Mobile", "Socket 7 (321)", "Socket 8 (387)", "Socket A (462)",
    "Socket 754", "Socket 939", "Socket 940", "Socket AM2 (940)", "Socket S1 (638)", "Socket Fr4 (1207)",
    "Socket 370 CPGA", "Socket 370 PPGA", "Socket 370 FC-PGA", "Socket 370 FC-PGA2", "Socket 352 BGA",
    "Socket 474 BGA", "Socket 495 BGA", "Socket nanoBGA2", "Socket 479 FCBGA", "Socket 423 mPGA",
    "Socket 478 mPGA", "Socket 479 mPGA", "Socket 479 mBGA", "Socket 603 mPGA", "Socket 604 mPGA",
    "Socket 775 LGA", "Socket 771 LGA", "Socket P (478)", "Socket 481 BGU", "Socket 418 PAC",
    "Socket 611 FC-PGA4", "Socket AM2+ (940)", "Socket G34 (1974)", "Socket AM3 (938)", "Socket 441 FCBGA8",
    "Socket 437 FCBGA8", "Socket 1156 LGA", "Socket 1366 LGA", "Socket 989 rPGA", "Socket 196 PGA",
    "Socket Fr6 (1207)", "Socket 1567 LGA", "Socket 1155 LGA", "Socket 2011 LGA", "Socket FCMBA3",
    "Socket C32 (1207)", "Socket ASB2", "Socket 783 BGA", "Socket 592 BGA", "Socket FT1 BGA",
    "Socket 988B rPGA", "Socket AM3+ (942)", "Socket 559 FCBGA8", "Socket FM1 (905)", "Socket FS1 (905)",
};
const char* const kLateSockets[] = {"Socket 1150 LGA", "Socket 947 rPGA", "Socket FM2 (904)", "Socket FP2 (904)"};
const char* const kSlots[] = {"Slot 1 SECC", "Slot 1 SECC2", "Slot 1 SEPP", "Slot 2 SECC", "MC", "MMC", "Slot A"};

template <size_t N>
const char* Pick(const char* const (&table)[N], int first, int code) {
  int i = code - first;
  return (i >= 0 && i < static_cast<int>(N)) ? table[i] : nullptr;
}

}  // namespace

const char* PackageName(int code) {
  const char* text = Pick(kSockets, 0x10001, code);
  if (!text) text = Pick(kLateSockets, 0x10040, code);
  if (!text) text = Pick(kSlots, 0x20001, code);
  return text ? text : "";
}
