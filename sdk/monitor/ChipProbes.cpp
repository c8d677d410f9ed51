#include "sdk/monitor/ChipProbes.h"

#include "sdk/access/CIORequest.h"
#include "sdk/access/CRegisterSpace.h"

namespace {

bool Read(CRegisterSpace* s, CIORequest* r, uint32_t reg, uint8_t* v) {
  *v = 0xFF;
  r->reg = reg;
  r->op = IOOP_READ | IOOP_BYTE;
  r->data = 0xFF;
  if (!s->Execute(r)) return false;
  *v = static_cast<uint8_t>(r->data);
  return true;
}
void Write(CRegisterSpace* s, CIORequest* r, uint32_t reg, uint8_t v) {
  r->reg = reg;
  r->op = IOOP_WRITE | IOOP_BYTE;
  r->data = v;
  s->Execute(r);
}

}  // namespace

bool ProbeWinbondFamily(CRegisterSpace* s, CIORequest* r, uint32_t a, ProbeResult* out) {
  if (!s || !r) return false;
  if (a) Write(s, r, 0x4E, 0x80);
  uint8_t v;
  Read(s, r, 0x4F, &v);
  if (v == 0x06 || v == 0x12 || v == 0x5C || v == 0x94 || v == 0xA3 || v == 0xC3) {
    uint8_t hi, lo, bank, chip = 0;
    Write(s, r, 0x4E, 0x80);
    Read(s, r, 0x4F, &hi);
    Read(s, r, 0x4E, &bank);
    Write(s, r, 0x4E, bank & 0x7F);
    Read(s, r, 0x4F, &lo);
    uint32_t word = hi * 256u + lo;
    bool known = word == 0x0694 || word == 0x12C3 || word == 0x5CA3;
    if (known) Read(s, r, 0x58, &chip);
    Write(s, r, 0x4E, 0x00);
    if (!known) return false;
    out->vendor = word;
    out->chipCode = a + (static_cast<uint32_t>(chip) << 16);
    return true;
  }
  // Chips that keep the vendor id elsewhere (W83781D layout).
  uint8_t r4c, r4d, chip;
  Read(s, r, 0x4C, &r4c);
  Read(s, r, 0x4D, &r4d);
  if (r4c == 0xA3 || r4d == 0x5C) {
    Read(s, r, 0x4E, &chip);
  } else {
    uint8_t r0d, r00;
    Read(s, r, 0x0D, &r0d);
    Read(s, r, 0x00, &r00);
    if (!(r0d == 0x5C && (r00 & 0x80)) && !(r0d == 0xA3 && !(r00 & 0x80))) return false;
    Read(s, r, 0x0E, &chip);
  }
  out->vendor = 0x5CA3;
  out->chipCode = a + (static_cast<uint32_t>(chip) << 16);
  return true;
}

bool ProbeNuvotonBanked(CRegisterSpace* s, CIORequest* r, ProbeResult* out) {
  if (!s || !r) return false;
  uint8_t fd, fe;
  Read(s, r, 0xFD, &fd);
  if (fd == 0x50) {
    Read(s, r, 0xFE, &fe);
    out->vendor = 0x50;
    out->chipCode = fe;
    return true;
  }
  if (fd != 0x5C && fd != 0xA3) return false;
  uint8_t saved, hi, lo;
  Read(s, r, 0x00, &saved);
  Write(s, r, 0x00, 0x80);
  Read(s, r, 0xFD, &hi);
  Write(s, r, 0x00, 0x00);
  Read(s, r, 0xFD, &lo);
  bool ok = hi == 0x5C && lo == 0xA3;
  if (ok) Read(s, r, 0xFE, &fe);
  Write(s, r, 0x00, saved);
  if (!ok) return false;
  out->vendor = 0x5CA3;
  out->chipCode = static_cast<uint32_t>(fe) << 16;
  return true;
}

bool ProbeITE(CRegisterSpace* s, CIORequest* r, uint32_t a, ProbeResult* out) {
  if (!s || !r) return false;
  uint8_t v, id;
  if (!Read(s, r, 0x58, &v) || v != 0x90) return false;
  Read(s, r, 0x5B, &id);
  out->vendor = 0x90;
  out->chipCode = a + (static_cast<uint32_t>(id) << 16);
  return true;
}

namespace {
uint8_t R(CRegisterSpace* s, CIORequest* r, uint32_t reg) {
  uint8_t v;
  Read(s, r, reg, &v);
  return v;
}
bool Found(ProbeResult* out, uint32_t vendor, uint32_t chip) {
  out->vendor = vendor;
  out->chipCode = chip;
  return true;
}
}  // namespace

int ProbeSMSC(CRegisterSpace* s, CIORequest* r, ProbeResult out[2]) {
  if (!s || !r) return 0;
  int n = 0;
  uint8_t id = R(s, r, 0x3E);
  if (id == 0x55 || id == 0x5C) {
    uint8_t code = R(s, r, 0x3D) == 0x8C ? 0x8C : R(s, r, 0x3F);
    Found(&out[n++], 0x55, code);
  }
  if (R(s, r, 0xFE) == 0x5D && R(s, r, 0xFF) == 0x01) Found(&out[n++], 0x55, 1);
  return n;
}

bool ProbeSMSCChipId(int32_t chip, ProbeResult* out) {
  switch (chip) {
    case 0x59: return Found(out, 0x55, 3);
    case 0x6F:
    case 0x81:
    case 0x85:
    case 0x8C: return Found(out, 0x55, 2);
    case 0x89: return Found(out, 0x55, 0x8A);
    default: return false;
  }
}

bool ProbeAnalogDevices(CRegisterSpace* s, CIORequest* r, ProbeResult* out) {
  if (!s || !r) return false;
  uint8_t company = R(s, r, 0x3E);
  if (company == 0x41) {
    uint8_t code = R(s, r, 0x3F);
    bool own = (code >= 0x10 && code <= 0x2F) || code == 0x6E || code == 0x6F;
    return Found(out, 0x41, own ? code : R(s, r, 0x3D));
  }
  if (company == 0xA1) return Found(out, 0xA1, R(s, r, 0x3F));
  uint8_t fe = R(s, r, 0xFE);
  if (fe == 0x41 || fe == 0xA1) return Found(out, fe, R(s, r, 0xFF));
  if (R(s, r, 0x99) == 0x41) {
    r->reg = 0x9A;
    r->op = IOOP_READ | IOOP_WORD;
    r->data = 0xFFFF;
    uint32_t word = s->Execute(r) ? (r->data & 0xFFFF) : 0xFFFF;
    return Found(out, 0x41, word);
  }
  if (R(s, r, 0x16) == 0x41) return Found(out, 0x41, R(s, r, 0x17));
  return false;
}

bool ProbeMaxim(CRegisterSpace* s, CIORequest* r, ProbeResult* out) {
  if (!s || !r) return false;
  if (R(s, r, 0xFE) == 0x4D) return Found(out, 0x4D, R(s, r, 0xFF));
  if (R(s, r, 0x05) == 0x7F && R(s, r, 0x06) == 0xC9) return Found(out, 0x4D, 22);
  return false;
}

bool ProbeAndigilog(CRegisterSpace* s, CIORequest* r, ProbeResult* out) {
  if (!s || !r) return false;
  if (R(s, r, 0x3E) == 0x61) return Found(out, 0x61, R(s, r, 0x3F));
  return false;
}

bool ProbeVIA(CRegisterSpace* s, CIORequest* r, ProbeResult* out) {
  if (!s || !r) return false;
  return R(s, r, 0x3E) == 0x4D && Found(out, 0x1106, 0x1211);
}

bool ProbeNational(CRegisterSpace* s, CIORequest* r, ProbeResult* out) {
  if (!s || !r) return false;
  if (R(s, r, 0xFE) == 0x01 && R(s, r, 0xFF) == 0x41) return Found(out, 0xFF02, 0x41);
  if (R(s, r, 0x3E) == 0x02) return Found(out, 0xFF02, 0x87);
  return false;
}
