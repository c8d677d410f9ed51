// Validation files come from wherever the user points `validate --decode`:
// any text must be refused with a reason or decode to a record that
// encrypts back to a file decoding to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "poll/ValidationFile.h"
#include "poll/ValidationRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string record, error;
  if (!DecryptValidationRecord(text, &record, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (record.find('\0') != std::string::npos) std::abort();
  std::string again;
  if (!DecryptValidationRecord(EncryptValidationRecord(record), &again, &error) || again != record) std::abort();
  size_t chars = 0;
  for (const std::string& f : SplitValidationRecord(record)) chars += f.size() + 1;
  if (chars < record.size()) std::abort();
  return 0;
}
