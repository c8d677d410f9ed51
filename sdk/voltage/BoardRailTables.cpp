// The vendor boards' rail tables: the rows that name each controller's
// adjustable rails and give their ranges. All rows count codes (type 1).
// Tables with the same contents are separate arrays: a controller that sets
// its rows' base at start (uP6208) changes only its own board's.
#include "sdk/voltage/BoardRailTables.h"

namespace railtables {

_stMicroControllerOutputDesc T1[] = {
    {"VCORE", 0x100, ROW_CODE, 128, 0, 0.00625f, 0.00625f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T2[] = {
    {"VCORE", 0x100, ROW_CODE, 128, 0, 0.00625f, 0.00625f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T3[] = {
    {"VCORE", 0x100, ROW_CODE, 96, 0, 0.00625f, 0.00625f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T4[] = {
    {"VCORE", 0x100, ROW_CODE, 0, 127, 0.00625f, 0.00625f, 1.6125f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T5[] = {
    {"VCORE", 0x160, ROW_CODE, 0, 127, 0.00625f, 0.00625f, 1.6125f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T6[] = {
    {"DIMM Voltage 1.5V", 0x100, ROW_CODE, 32, 31, 0.025f, 0.025f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T7[] = {
    {"QPI PLL VCore 1.1V", 0x100, ROW_CODE, 32, 0, 0.025f, 0.025f, 1.1f},
    {"CPU PLL VCore 1.8V", 0x101, ROW_CODE, 32, 31, 0.025f, 0.025f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T8[] = {
    {"IOH VCore 1.1V", 0x100, ROW_CODE, 32, 0, 0.025f, 0.025f, 1.1f},
    {"CPU VTT voltage 1.1V", 0x101, ROW_CODE, 32, 0, 0.025f, 0.025f, 1.1f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T9[] = {
    {"IOH/ICH I/O Voltage 1.5V", 0x100, ROW_CODE, 32, 0, 0.025f, 0.025f, 1.5f},
    {"ICH VCore 1.05V", 0x101, ROW_CODE, 32, 0, 0.025f, 0.025f, 1.05f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T10[] = {
    {"VCORE", 0x100, ROW_CODE, 251, 0, 0.005f, -1.0f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T11[] = {
    {"VCORE BOOST #1", 0x160, ROW_CODE, 64, 63, 0.01f, 0.05f, -1.0f},
    {"VCORE BOOST #2", 0x161, ROW_CODE, 64, 63, 0.01f, 0.05f, -1.0f},
    {"VTT", 0x162, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.2f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T12[] = {
    {"NF200 1.2V", 0x100, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.2f},
    {"I/O 1.5V", 0x101, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.5f},
    {"ICH 1.05V", 0x102, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.05f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T13[] = {
    {"PLL 1.8V", 0x140, ROW_CODE, 64, 63, 0.025f, 0.075f, 1.8f},
    {"PLL 1.8V", 0x121, ROW_CODE, 64, 63, 0.025f, 0.075f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T14[] = {
    {"IOH Vcore 1.1V", 0x113, ROW_CODE, 128, 63, 0.025f, 0.125f, 1.1f},
    {"IOH 1.8V", 0x102, ROW_CODE, 64, 63, 0.015f, 0.075f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T15[] = {
    {"VDIMM", 0x177, ROW_CODE, 128, 63, 0.01f, 0.05f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T16[] = {
    {"VCORE", 0x100, ROW_CODE, 32, 0, 0.01f, 0.01f, -1.0f},
    {"CPU VTT Voltage 1.1V", 0x101, ROW_CODE, 32, 0, 0.025f, 0.01f, 1.1f},
    {"DRAM Voltage 1.5V", 0x102, ROW_CODE, 32, 0, 0.01f, 0.01f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T17[] = {
    {"PCH Voltage 1.05V", 0x100, ROW_CODE, 32, 0, 0.025f, 0.125f, 1.05f},
    {"CPU PLL VCore 1.8V", 0x101, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.8f},
    {"IGP", 0x102, ROW_CODE, 32, 0, 0.025f, 0.125f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T18[] = {
    {"VCORE boost #1", 0x100, ROW_CODE, 32, 0, 0.01f, 0.01f, -1.0f},
    {"VCORE boost #2", 0x101, ROW_CODE, 32, 0, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T19[] = {
    {"NF200 Voltage 1.2V", 0x100, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.2f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T20[] = {
    {"PCH Voltage 1.05V", 0x100, ROW_CODE, 32, 0, 0.025f, 0.125f, 1.05f},
    {"CPU PLL VCore 1.8V", 0x101, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T21[] = {
    {"CPU VTT Voltage 1.05V", 0x113, ROW_CODE, 64, 0, 0.025f, 0.0f, 1.05f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T22[] = {
    {"DRAM Voltage 1.5V", 0x113, ROW_CODE, 128, 5, 0.01f, 0.05f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T23[] = {
    {"VCORE BOOST #1", 0x100, ROW_CODE, 32, 0, 0.01f, 0.01f, -1.0f},
    {"VCORE BOOST #2", 0x101, ROW_CODE, 32, 0, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T24[] = {
    {"IOH/ICH I/O Voltage 1.5V", 0x100, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.5f},
    {"ICH VCore 1.05V", 0x101, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.05f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T25[] = {
    {"QPI PLL VCore 1.1V", 0x100, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.1f},
    {"IOH PLL VCore 1.8V", 0x101, ROW_CODE, 32, 5, 0.015f, 0.075f, 1.8f},
    {"CPU PLL VCore 1.8V", 0x102, ROW_CODE, 32, 5, 0.015f, 0.075f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T26[] = {
    {"IOH VCore 1.1V", 0x100, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.1f},
    {"CPU VTT Voltage 1.2V", 0x101, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.2f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T27[] = {
    {"DRAM Voltage 1.5V", 0x113, ROW_CODE, 128, 5, 0.01f, 0.05f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T28[] = {
    {"QPI PLL VCore 1.1V", 0x100, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.1f},
    {"CPU PLL VCore 1.8V", 0x101, ROW_CODE, 32, 5, 0.015f, 0.075f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T29[] = {
    {"IOH VCore 1.1V", 0x100, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.1f},
    {"CPU VTT Voltage 1.1V", 0x101, ROW_CODE, 32, 5, 0.025f, 0.125f, 1.1f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T30[] = {
    {"CPU VCORE", 0x100, ROW_CODE, 255, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T31[] = {
    {"DRAM Voltage", 0x100, ROW_CODE, 350, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T32[] = {
    {"PCH Vcore 1.05V", 0x100, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.05f},
    {"SFR Vcore 1.8V", 0x101, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.8f},
    {"VCCIO", 0x102, ROW_CODE, 64, 0, 0.01f, -1.0f, 1.05f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T33[] = {
    {"PCH Vcore 1.05V", 0x100, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.05f},
    {"SFR Vcore 1.8V", 0x101, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T34[] = {
    {"NF200", 0x100, ROW_CODE, 64, 4, 0.025f, 0.125f, 1.2f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T35[] = {
    {"VCCSA", 0x102, ROW_CODE, 11, 0, 0.05f, -1.0f, 0.925f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T36[] = {
    {"CPU VCORE", 0x100, ROW_CODE, 255, 0, 0.005f, 0.005f, 0.245f},
    {"VAXG", 0x101, ROW_CODE, 255, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T37[] = {
    {"DIMM", 0x100, ROW_CODE, 350, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T38[] = {
    {"DIMM Vref 12", 0x100, ROW_CODE, 11, 10, 0.05f, 0.01f, 0.75f},
    {"DIMM Vref 34", 0x102, ROW_CODE, 11, 10, 0.05f, 0.01f, 0.75f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T39[] = {
    {"PCH Vcore 1.05V", 0x100, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.05f},
    {"CPU PLL 1.8V", 0x101, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.8f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T40[] = {
    {"VCCIO", 0x100, ROW_CODE, 350, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T41[] = {
    {"CPU VCORE", 0x100, ROW_CODE, 255, 0, 0.005f, 0.005f, 0.245f},
    {"VCCSA", 0x101, ROW_CODE, 255, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T42[] = {
    {"CPU PLL", 0x101, ROW_CODE, 64, 63, 0.0125f, 0.0625f, 1.8f},
    {"PCH Vref 1.5V", 0x102, ROW_CODE, 64, 63, 0.025f, 0.125f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T43[] = {
    {"DIMM 1/2", 0x100, ROW_CODE, 350, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T44[] = {
    {"DIMM 3/4", 0x100, ROW_CODE, 350, 0, 0.005f, 0.005f, 0.245f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T45[] = {
    {"PCH Vcore 1.1V", 0x101, ROW_CODE, 64, 63, 0.0392f, 0.196f, 1.1f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T46[] = {
    {"DRAM Voltage 1.5V", 0x100, ROW_CODE, 64, 63, 0.01f, 0.01f, 1.5f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T47[] = {
    {"VCORE", 0x100, ROW_CODE, 64, 15, 0.01f, 0.02f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T48[] = {
    {"DQ VRef", 0x100, ROW_CODE, 64, 63, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T49[] = {
    {"DQ VRef", 0x100, ROW_CODE, 64, 63, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T50[] = {
    {"ChB DQ VRef", 0x100, ROW_CODE, 64, 63, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T51[] = {
    {"ChA DQ VRef", 0x100, ROW_CODE, 64, 63, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T52[] = {
    {"DQ VRef", 0x100, ROW_CODE, 64, 63, 0.04f, 0.02f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T53[] = {
    {"DQ VRef", 0x140, ROW_CODE, 64, 63, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T54[] = {
    {"DQ VRef", 0x120, ROW_CODE, 64, 63, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T55[] = {
    {"DIMM CA VRef_1/2", 0x103, ROW_CODE, 32, 31, 0.01f, 0.01f, -1.0f},
    {"DIMM CA VRef_3/4", 0x102, ROW_CODE, 32, 31, 0.01f, 0.01f, -1.0f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};
_stMicroControllerOutputDesc T56[] = {
    {"VCCIO", 0x100, ROW_CODE, 127, 0, 0.005f, -1.0f, 0.9f},
    {nullptr, rowid::kEnd, 0, 0, 0, 0.0f, 0.0f, 0.0f},
};

}  // namespace railtables
