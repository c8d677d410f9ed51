#include "sdk/memory/Jep106.h"

#include <bit>

namespace {

// Bank 1 (no continuation code), by code without its parity bit, 1-126.
const char* const kBank1[127] = {
    nullptr,
    "AMD", "AMI", "Fairchild", "Fujitsu", "GTE", "Harris", "Hitachi", "Inmos", "Intel", "I.T.T.",
    "Intersil", "Monolithic Memories", "Mostek", "Freescale (Motorola)", "National", "NEC", "RCA", "Raytheon",
    "Conexant (Rockwell)", "Seeq", "NXP (Philips)", "Synertek", "Texas Instruments", "Toshiba", "Xicor", "Zilog",
    "Eurotechnique", "Mitsubishi", "Lucent (AT&T)", "Exel", "Atmel", "STMicroelectronics", "Lattice Semi.", "NCR",
    "Wafer Scale Integration", "IBM", "Tristar", "Visic", "Intl. CMOS Technology", "SSSI", "Microchip Technology",
    "Ricoh Ltd.", "VLSI", "Micron Technology", "SK Hynix", "OKI Semiconductor", "ACTEL", "Sharp", "Catalyst",
    "Panasonic", "IDT", "Cypress", "DEC", "LSI Logic", "Zarlink (Plessey)", "UTMC", "Thinking Machine",
    "Thomson CSF", "Integrated CMOS (Vertex)", "Honeywell", "Tektronix", "Oracle Corporation",
    "Silicon Storage Technology", "ProMos/Mosel Vitelic", "Infineon (Siemens)", "Macronix", "Xerox", "Plus Logic",
    "SanDisk Corporation", "Elan Circuit Tech.", "European Silicon Str.", "Apple Computer", "Xilinx", "Compaq",
    "Protocol Engines", "SCI", "Seiko Instruments", "Samsung", "I3 Design System", "Klic", "Crosspoint Solutions",
    "Alliance Semiconductor", "Tandem", "Hewlett-Packard", "Integrated Silicon Solutions", "Brooktree", "New Media",
    "MHS Electronic", "Performance Semi.", "Winbond Electronic", "Kawasaki Steel", "Bright Micro", "TECMAR", "Exar",
    "PCMCIA", "LG Semi (Goldstar)", "Northern Telecom", "Sanyo", "Array Microsystems", "Crystal Semiconductor",
    "Analog Devices", "PMC-Sierra", "Asparix", "Convex Computer", "Quality Semiconductor", "Nimbus Technology",
    "Transwitch", "Micronas (ITT Intermetall)", "Cannon", "Altera", "NEXCOM", "Qualcomm", "Sony", "Cray Research",
    "AMS(Austria Micro)", "Vitesse", "Aster Electronics", "Bay Networks (Synoptic)", "Zentrum/ZMD", "TRW", "Thesys",
    "Solbourne Computer", "Allied-Signal", "Dialog Semiconductor", "Media Vision", "Numonyx",
};

// Bank 2 (one continuation code).
const char* const kBank2[127] = {
    nullptr,
    "Cirrus Logic", "National Instruments", "ILC Data Device", "Alcatel Mietec", "Micro Linear", "Univ. of NC",
    "JTAG Technologies", "BAE Systems (Loral)", "Nchip", "Galileo Tech", "Bestlink Systems", "Graychip", "GENNUM",
    "VideoLogic", "Robert Bosch", "Chip Express", "DATARAM", "United Microelectronics Corp.", "TCSI",
    "Smart Modular", "Hughes Aircraft", "Lanstar Semiconductor", "Qlogic", "Kingston", "Music Semi",
    "Ericsson Components", "SpaSE", "Eon Silicon Devices", nullptr, "DoD", "Integ. Memories Tech.",
    "Corollary Inc.", "Dallas Semiconductor", "Omnivision", "EIV(Switzerland)", "Novatel Wireless",
    "Zarlink (Mitel)", "Clearpoint", "Cabletron", "STEC (Silicon Tech)", "Vanguard", "Hagiwara Sys-Com", "Vantis",
    "Celestica", "Century", "Hal Computers", "Rohm Company Ltd.", "Juniper Networks", "Libit Signal Processing",
    "Mushkin Enhanced Memory", "Tundra Semiconductor", "Adaptec Inc.", "LightSpeed Semi.", "ZSP Corp.",
    "AMIC Technology", "Adobe Systems", "Dynachip", "PNY Technologies", "Newport Digital", "MMC Networks",
    "T Square", "Seiko Epson", "Broadcom", "Viking Components", "V3 Semiconductor",
    "Flextronics (Orbit Semiconductor)", "Suwa Electronics", "Transmeta", "Micron CMS",
    "American Computer & Digital Components Inc", "Enhance 3000 Inc", "Tower Semiconductor", "CPU Design",
    "Price Point", "Maxim Integrated Product", "Tellabs", "Centaur Technology", "Unigen Corporation",
    "Transcend Information", "Memory Card Technology", "CKD Corporation Ltd.", "Capital Instruments, Inc.",
    "Aica Kogyo, Ltd.", "Linvex Technology", "MSC Vertriebs GmbH", "AKM Company, Ltd.", "Dynamem, Inc.",
    "NERA ASA", "GSI Technology", "Dane-Elec (C Memory)", "Acorn Computers", "Lara Technology",
    "Oak Technology, Inc.", "Itec Memory", "Tanisys Technology", "Truevision", "Wintec Industries",
    "Super PC Memory", "MGV Memory", "Galvantech", "Gadzoox Networks", "Multi Dimensional Cons.", "GateField",
    "Integrated Memory System", "Triscend", "XaQti", "Goldenram", "Clear Logic", "Cimaron Communications",
    "Nippon Steel Semi. Corp.", "Advantage Memory", "AMCC", "LeCroy", "Yamaha Corporation", "Digital Microwave",
    "NetLogic Microsystems", "MIMOS Semiconductor", "Advanced Fibre", "BF Goodrich Data.", "Epigram",
    "Acbel Polytech Inc.", "Apacer Technology", "Admor Memory", "FOXCONN", "Quadratics Superconductor", "3COM",
};

// Module makers of the later banks.
struct LaterMaker {
  int bank;
  uint8_t code;  // without the parity bit
  const char* name;
};
constexpr LaterMaker kLater[] = {
    {2, 0x1E, "Corsair"},
    {3, 0x0B, "Nanya Technology"},
    {4, 0x4B, "A-DATA Technology"},
    {4, 0x4D, "G Skill Intl"},
    {4, 0x6F, "Team Group Inc."},
    {5, 0x1B, "Crucial Technology"},
    {5, 0x51, "Qimonda"},
};

}  // namespace

const char* Jep106Name(int bank, uint8_t code) {
  // Odd parity over all eight bits; code 0 and the continuation code are
  // no makers.
  if (std::popcount(static_cast<unsigned>(code)) % 2 != 1) return nullptr;
  const uint8_t index = code & 0x7F;
  if (index == 0 || index == 0x7F) return nullptr;
  if (bank == 0) return kBank1[index];
  if (bank == 1) return kBank2[index];
  for (const LaterMaker& m : kLater)
    if (m.bank == bank && m.code == index) return m.name;
  return nullptr;
}

const char* Jep106NameOf(const uint8_t id[8]) {
  int bank = 0;
  while (bank < 7 && id[bank] == 0x7F) ++bank;
  return Jep106Name(bank, id[bank]);
}
