#include "sdk/cpu/MSR_Register.h"

#include "driver/CKMDriver.h"
#include "sdk/access/SdkDriver.h"
#include "sdk/cpu/CpuDriver.h"

CKMDriver* CpuDriver() {
  CKMDriver* d = SdkDriver();
  return d && d->IsAcquired() ? d : nullptr;
}

bool MSR_Register::Read() {
  CKMDriver* d = CpuDriver();
  if (!d || index == 0xFFFFFFFFu) return false;
  uint32_t hi = 0xFFFFFFFFu, lo = 0xFFFFFFFFu;
  if (!d->ReadMSR(index, &hi, &lo)) return false;
  high = hi;
  low = lo;
  return true;
}

bool MSR_Register::Write(uint32_t hi, uint32_t lo) {
  CKMDriver* d = CpuDriver();
  if (!d || index == 0xFFFFFFFFu) return false;
  if (!d->WriteMSR(index, hi, lo)) return false;
  high = hi;
  low = lo;
  return true;
}

bool MSR_Register::SetBit(int bit, bool on) {
  if (bit < 0 || bit > 63 || !Read()) return false;
  uint32_t* half = bit >= 32 ? &high : &low;
  uint32_t mask = 1u << (bit & 31);
  uint32_t hi = high, lo = low;
  (bit >= 32 ? hi : lo) = on ? (*half | mask) : (*half & ~mask);
  return Write(hi, lo);
}

bool MSR_Register::TestBit(int bit, bool* on) {
  if (bit < 0 || bit > 63 || !Read()) return false;
  *on = ((Value() >> bit) & 1) != 0;
  return true;
}
