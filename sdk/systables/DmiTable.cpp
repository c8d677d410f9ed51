#include "sdk/systables/DmiTable.h"

#include <cstring>

namespace dmi {

size_t StructureSize(const uint8_t* p, size_t available) {
  if (available < 2) return 0;
  size_t length = p[1];
  if (length > available) return 0;
  if (length + 2 <= available && p[length] == 0 && p[length + 1] == 0) return length + 2;
  // Type 5 structures without an empty string set are taken to have none.
  if (p[0] == 5) return length;
  for (size_t i = length; i + 1 < available; ++i)
    if (p[i] == 0 && p[i + 1] == 0) return i + 2;
  return available;
}

const char* FindString(const uint8_t* set, const uint8_t* end, unsigned number, size_t* length) {
  *length = 0;
  if (number == 0 || set >= end || *set == 0) return nullptr;
  const uint8_t* p = set;
  for (unsigned n = 1; p < end && *p; ++n) {
    const uint8_t* z = static_cast<const uint8_t*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
    if (!z) return nullptr;  // unterminated: the table ends inside the string
    if (n == number) {
      *length = static_cast<size_t>(z - p);
      return reinterpret_cast<const char*>(p);
    }
    p = z + 1;
  }
  return nullptr;
}

void CleanString(char* text) {
  size_t n = std::strlen(text);
  if (n == 0 || n >= 512) return;
  size_t start = 0;
  while (start < n && text[start] == ' ') ++start;
  size_t end = n;
  while (end > start && text[end - 1] == ' ') --end;
  size_t w = 0;
  for (size_t i = start; i < end; ++i)
    if (text[i] != '"' && text[i] != '\'') text[w++] = text[i];
  text[w] = 0;
}

void StructureView::String(size_t fieldOffset, char* out, size_t outSize) const {
  if (outSize == 0) return;
  out[0] = 0;
  if (!Has(fieldOffset)) return;
  size_t n = 0;
  const char* s = FindString(bytes + length, bytes + size, bytes[fieldOffset], &n);
  if (!s) return;
  // At most 255 characters are copied, and never more than fit.
  if (n > 255) n = 255;
  if (n > outSize - 1) n = outSize - 1;
  std::memcpy(out, s, n);
  out[n] = 0;
  CleanString(out);
}

int WalkTable(const uint8_t* table, size_t length, const std::function<void(const StructureView&)>& visit) {
  if (length > kMaxTable) length = kMaxTable;
  size_t cursor = 0;
  int count = 0;
  while (cursor < length) {
    size_t size = StructureSize(table + cursor, length - cursor);
    if (size == 0) break;  // truncated, or a size that would not advance
    StructureView v{table + cursor, table[cursor + 1], size};
    visit(v);
    ++count;
    cursor += size;
  }
  return count;
}

}  // namespace dmi
