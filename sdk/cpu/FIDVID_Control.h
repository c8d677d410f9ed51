// Ratio (FID) and voltage identifier (VID) codes of one logical processor:
// read from the family's status register, converted to ratios and volts,
// and for some families written through the control register.
#pragma once

#include <cstdint>

class MSR_Register;

struct PState {
  int frequency = -1;  // MHz
  int fid = -1;
  int vid = -1;
  int current = -1;    // A
};

class FIDVID_Control {
 public:
  FIDVID_Control(uint32_t statusMsr, uint32_t controlMsr);
  virtual float RatioFromCode(int code) { return code == -1 ? -1.0f : static_cast<float>(code); }
  virtual float VoltageFromCode(int) { return -1.0f; }
  virtual void Reserved() {}
  virtual ~FIDVID_Control();
  virtual int Prepare(int) { return 0; }
  virtual bool Refresh() { return false; }
  virtual bool SetRatio(float) { return false; }
  virtual bool SetVid(int) { return false; }
  virtual bool SetFid(int) { return false; }

  float CurrentRatio() { return currentFid == -1 ? -1.0f : RatioFromCode(currentFid); }
  float MaxRatio() { return maxFid == -1 ? -1.0f : RatioFromCode(maxFid); }
  float MinRatio() { return minFid == -1 ? -1.0f : RatioFromCode(minFid); }
  float CoreVoltage() { return currentVid == -1 ? -1.0f : VoltageFromCode(currentVid); }
  bool GetPState(int i, int* fid, int* vid, int* current) const;
  // Takes the (FID, VID) byte pairs of the firmware's PowerNow! table as the
  // state list when the control has none yet; frequency and current stay -1.
  void AdoptStateTable(const uint8_t* pairs, int n);

  int currentFid = -1, minFid = -1, maxFid = -1, startFid = -1, targetFid = -1;
  int currentVid = -1, minVid = -1, maxVid = -1, startVid = -1;
  int unused = -1;
  int count = 0;
  PState** states = nullptr;
  MSR_Register* status;
  MSR_Register* control;

 protected:
  // Read-modify-write of `control`: bits under `mask` replaced by `bits` in
  // the 64-bit value; sleeps 10 ms after a write. False when the read fails.
  bool Modify(uint64_t mask, uint64_t bits);
  // A VID code the family's table converts to a voltage and that fits a
  // field of `bits` bits; codes outside it (-1, the "off" codes) are refused
  // before they reach the register.
  bool ValidVid(int v, int bits) { return v >= 0 && v < (1 << bits) && VoltageFromCode(v) > 0.0f; }
  bool ValidFid(int c, int bits) { return c >= 0 && c < (1 << bits) && RatioFromCode(c) > 0.0f; }
};

// IA32_PERF_STATUS / IA32_PERF_CTL families.
class Netburst_FIDVID_Control : public FIDVID_Control {
 public:
  Netburst_FIDVID_Control() : FIDVID_Control(0x198, 0x199) {}
  float VoltageFromCode(int v) override { return v == -1 ? -1.0f : (16.0f * v + 700.0f) / 1000.0f; }
  bool Refresh() override;
  bool SetVid(int v) override { return ValidVid(v, 8) && Modify(0xFF, static_cast<uint64_t>(v)); }
  bool SetFid(int c) override { return ValidFid(c, 8) && Modify(0xFF00, static_cast<uint64_t>(c) << 8); }
};

class Mobile_FIDVID_Control : public Netburst_FIDVID_Control {
 public:
  bool Refresh() override;
};

// VIA C7 (Enhanced PowerSaver): the Netburst coding with the lowest ratio
// and VID in the high half (bits 63:56 and 55:48), as the kernel's
// e_powersaver driver reads them. Read only.
class C7_FIDVID_Control : public Netburst_FIDVID_Control {
 public:
  bool Refresh() override;
  bool SetVid(int) override { return false; }
  bool SetFid(int) override { return false; }
};

// VIA Nano: half-ratio codes, no VID conversion. Read only.
class CNA_FIDVID_Control : public FIDVID_Control {
 public:
  CNA_FIDVID_Control() : FIDVID_Control(0x198, 0x199) {}
  float RatioFromCode(int c) override { return c == -1 ? -1.0f : c * 0.5f; }
  bool Refresh() override;
};

class Core_FIDVID_Control : public FIDVID_Control {
 public:
  Core_FIDVID_Control() : FIDVID_Control(0x198, 0x199) {}
  float VoltageFromCode(int v) override { return v == -1 ? -1.0f : (12.5f * v + 712.5f) / 1000.0f; }
  bool Refresh() override;
  bool SetVid(int v) override { return ValidVid(v, 6) && Modify(0x3F, static_cast<uint64_t>(v)); }
  bool SetFid(int c) override { return ValidFid(c, 5) && Modify(0x1F00, static_cast<uint64_t>(c) << 8); }
};

class Core_2_FIDVID_Control : public FIDVID_Control {
 public:
  explicit Core_2_FIDVID_Control(bool mobileFlag) : FIDVID_Control(0x198, 0x199), mobile(mobileFlag) {}
  float RatioFromCode(int c) override { return c == -1 ? -1.0f : c * 0.5f; }
  float VoltageFromCode(int v) override {
    return v == -1 ? -1.0f : (12.5f * v + (mobile ? 712.5f : 825.0f)) / 1000.0f;
  }
  int Prepare(int) override;
  bool Refresh() override;
  bool SetRatio(float r) override;
  bool SetVid(int v) override;
  bool SetFid(int c) override;
  bool mobile;

 private:
  bool WaitIdle();
};

class Nehalem_FIDVID_Control : public FIDVID_Control {
 public:
  Nehalem_FIDVID_Control() : FIDVID_Control(0x198, 0x199) {}
  float VoltageFromCode(int v) override { return v == -1 ? -1.0f : 1.6125f - 0.00625f * v; }
  bool Refresh() override;
  bool SetFid(int c) override { return ValidFid(c, 16) && Modify(0xFFFF, static_cast<uint64_t>(c)); }
};

class Sandy_Bridge_FIDVID_Control : public FIDVID_Control {
 public:
  Sandy_Bridge_FIDVID_Control() : FIDVID_Control(0x198, 0x199) {}
  float VoltageFromCode(int v) override { return v == -1 ? -1.0f : v / 8192.0f; }
  bool Refresh() override;
};

// AMD K8 (and its AM2 variant with 6-bit VIDs).
class K8_FIDVID_Control : public FIDVID_Control {
 public:
  explicit K8_FIDVID_Control(bool am2Part = false) : FIDVID_Control(0xC0010042, 0xC0010041), am2(am2Part) {}
  float RatioFromCode(int c) override { return (c < 0 || c > 42) ? -1.0f : 4.0f + c / 2.0f; }
  float VoltageFromCode(int v) override;
  bool Refresh() override;
  bool SetVid(int v) override;
  bool SetFid(int c) override;
  bool am2;

 private:
  bool WaitIdle();
};

// AMD K7: FID/VID status 0xC0010042, control 0xC0010041, table-coded ratios.
class K7_FIDVID_Control : public FIDVID_Control {
 public:
  K7_FIDVID_Control() : FIDVID_Control(0xC0010042, 0xC0010041) {}
  float RatioFromCode(int c) override;
  float VoltageFromCode(int v) override;
  bool Refresh() override;
  bool SetVid(int v) override { return ValidVid(v, 5) && Modify(0x1Full << 32, static_cast<uint64_t>(v) << 32); }
  bool SetFid(int c) override { return ValidFid(c, 5) && Modify(0x1F, static_cast<uint64_t>(c)); }
};

// AMD family 10h (and 11h with base 8): the COFVID registers and the P-state
// definitions from 0xC0010064.
class K10_FIDVID_Control : public FIDVID_Control {
 public:
  explicit K10_FIDVID_Control(int ratioBase = 16) : FIDVID_Control(0xC0010071, 0xC0010070), base(ratioBase) {}
  float RatioFromCode(int c) override;
  float VoltageFromCode(int v) override { return v == -1 ? -1.0f : (v < 124 ? 1.55f - 0.0125f * v : 0.0f); }
  virtual int CodeFromRatio(float a);
  bool Refresh() override;
  bool SetRatio(float r) override;
  bool SetVid(int v) override;
  bool SetFid(int c) override;
  // The ratio of the first enabled P-state (P0); -1 before a refresh found one.
  float P0Ratio() const;
  int base;

 protected:
  // The ratio code of a P-state definition or of COFVID status (low half).
  virtual int CodeFromRegister(uint32_t low) const;
  // Called once per refresh with COFVID status read (K14 takes its reference).
  virtual void SawStatus() {}
  virtual int FrequencyOf(int) const { return -1; }
  int pstateRegisters = 5;
  bool readsMaxFid = true;

 private:
  bool WriteTransition(uint64_t mask, uint64_t bits);
};

// AMD families 12h, 14h and 15h: eight P-state definitions, read only.
class K1x_FIDVID_Control : public K10_FIDVID_Control {
 public:
  K1x_FIDVID_Control() {
    pstateRegisters = 8;
    readsMaxFid = false;
  }
  int CodeFromRatio(float) override { return -1; }
  bool SetRatio(float) override { return false; }
  bool SetVid(int) override { return false; }
  bool SetFid(int) override { return false; }
};

// Family 12h: code = divisor code (bits 15:8) and fid (bits 7:0).
class K12_FIDVID_Control : public K1x_FIDVID_Control {
 public:
  float RatioFromCode(int c) override;

 protected:
  int CodeFromRegister(uint32_t low) const override;
};

// Family 14h: code = integer (bits 15:8) and quarter (bits 7:0) divisor
// parts of the reference clock.
class K14_FIDVID_Control : public K1x_FIDVID_Control {
 public:
  float RatioFromCode(int c) override;
  int referenceMHz = 4000;

 protected:
  int CodeFromRegister(uint32_t low) const override;
  void SawStatus() override;
  int FrequencyOf(int code) const override;
  float Divisor(int c) const { return (c & 0xFF) * 0.25f + ((c >> 8) & 0xFF) + 1.0f; }
};

// Family 15h: the K10 coding.
class K15_FIDVID_Control : public K1x_FIDVID_Control {};
