// The validation file: the validation record encrypted with AES-128 in ECB
// mode under the program's key and written as lowercase hexadecimal, two
// characters per byte, without separators. The plaintext is the record, its
// terminating zero and zero bytes up to n = (length + 16) & ~15, always a
// fresh copy: the record itself is never encrypted in place, so saving
// twice writes the same file twice.
//
// Automatic saves go to a folder per minute under the user's configuration
// directory: vdf/[DD MON YYYY - Hh MM]/tvk_<MHz>.vdf.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The program's own 16-byte key.
inline constexpr char kValidationKey[] = "BrenmorTorvik902";
static_assert(sizeof(kValidationKey) == 17, "an AES-128 key is 16 characters");

// AES-128-ECB over `length` bytes (a multiple of 16) through libcrypto;
// false with `error` when the length is not whole blocks or the library
// cannot be opened or fails.
bool Aes128EcbEncrypt(const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out,
                      std::string* error = nullptr);
bool Aes128EcbDecrypt(const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out,
                      std::string* error = nullptr);

// The zero-padded copy of the record that is encrypted.
std::vector<uint8_t> PadValidationRecord(const std::string& record);
// The file's contents for a record; empty with `error` when the cipher
// library cannot be used.
std::string EncryptValidationRecord(const std::string& record, std::string* error = nullptr);
// The record back from a file's contents (trailing zero padding removed);
// false with `error` for text that is not whole hexadecimal blocks.
bool DecryptValidationRecord(const std::string& hex, std::string* record, std::string* error);

// Writes the file (an owner-only temporary file renamed over `path`);
// false with `error` when it cannot be written.
bool WriteValidationFile(const std::string& path, const std::string& record, std::string* error);
bool ReadValidationFile(const std::string& path, std::string* record, std::string* error);

// "[10 DEC 2026 - 9h05]" for the local time given.
std::string ValidationFolderName(const std::tm& local);
// "vdf" in the user's configuration directory ($XDG_CONFIG_HOME/torvik/vdf,
// else ~/.config/torvik/vdf); empty when there is none.
std::string ValidationBaseDirectory();
// The automatic save: creates `base` and the folder of the minute in it
// (owner-only) and
// writes tvk_<clock>.vdf there (replacing a file of the same clock). The
// path written, or "" with `error`.
std::string SaveValidationFileAuto(const std::string& base, const std::tm& local, int clockMHz,
                                   const std::string& record, std::string* error);
