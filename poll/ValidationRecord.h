// The validation record: one line of comma-terminated fields describing the
// machine and its clocks, in a fixed order, for the online validation
// database. Built from what the SDK holds now (the last poll's clocks);
// fields whose data is missing stay empty so that every field keeps its
// place. Commas inside a value become blanks (they would shift every field
// after them), and characters outside ASCII become '?' in the 8-bit record.
#pragma once

#include <ctime>
#include <string>
#include <vector>

class QUARNSDK;

inline constexpr const char* kValidationRecordVersion = "9.02";
// The field list stays within this many characters; a field that would
// cross it is left out.
inline constexpr size_t kValidationListLimit = 4096;
inline constexpr int kValidationGraphicsAdapters = 4;
inline constexpr int kValidationReserveFields = 4;

struct ValidationInputs {
  QUARNSDK* sdk = nullptr;  // null: only the fields that need no hardware
  std::tm local{};          // the date of the record
  int memoryMB = -1;        // installed memory
};

// The fields in record order (without their commas).
std::vector<std::string> ValidationFields(const ValidationInputs& in);
// The record: every field followed by a comma, within the list limit.
std::string BuildValidationRecord(const ValidationInputs& in);
// The record split back into its fields (the last comma ends the last one).
std::vector<std::string> SplitValidationRecord(const std::string& record);
// The names of the fields in record order, for showing a decoded record.
const std::vector<std::string>& ValidationFieldNames();
