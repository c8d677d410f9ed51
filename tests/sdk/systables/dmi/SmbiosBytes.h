// Builds SMBIOS structures byte by byte for the decoding tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

// type, formatted bytes after the 4-byte header (length = 4 + body), strings.
inline void AppendStructure(std::vector<uint8_t>& table, uint8_t type, std::vector<uint8_t> body,
                            std::initializer_list<std::string> strings, uint16_t handle = 0) {
  table.push_back(type);
  table.push_back(static_cast<uint8_t>(4 + body.size()));
  table.push_back(static_cast<uint8_t>(handle));
  table.push_back(static_cast<uint8_t>(handle >> 8));
  table.insert(table.end(), body.begin(), body.end());
  for (const auto& s : strings) {
    table.insert(table.end(), s.begin(), s.end());
    table.push_back(0);
  }
  if (strings.size() == 0) table.push_back(0);
  table.push_back(0);
}

// A baseboard structure (type 2): manufacturer, product, version, serial
// string numbers as given.
inline void AppendBaseboard(std::vector<uint8_t>& t, uint8_t maker, uint8_t product,
                            std::initializer_list<std::string> strings) {
  AppendStructure(t, 2, {maker, product, 0, 0, 0, 0x09, 0, 0xFF, 0xFF, 0x0A, 0}, strings);
}

// A processor structure (type 4) with its two clocks.
inline void AppendProcessor(std::vector<uint8_t>& t, uint16_t externalMHz, uint16_t currentMHz) {
  std::vector<uint8_t> body(0x28 - 4, 0);
  body[0x04 - 4] = 1;     // socket
  body[0x06 - 4] = 0xC6;  // family
  body[0x07 - 4] = 2;     // manufacturer
  body[0x10 - 4] = 3;     // version
  body[0x12 - 4] = static_cast<uint8_t>(externalMHz);
  body[0x13 - 4] = static_cast<uint8_t>(externalMHz >> 8);
  body[0x16 - 4] = static_cast<uint8_t>(currentMHz);
  body[0x17 - 4] = static_cast<uint8_t>(currentMHz >> 8);
  AppendStructure(t, 4, body, {"CPU 1", "GenuineIntel ", " Intel(R) Core(TM) i7 CPU 920 "});
}

}  // namespace testsupport
