#include "poll/ValidationFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/CipherLibrary.h"
#include "platform/ConfigFiles.h"

namespace {

constexpr size_t kBlock = 16;
// Far above any record (8192-byte buffers): a file larger than this is not one.
constexpr size_t kMaxFileChars = 2 * 8192 + 2;

const uint8_t* Key() { return reinterpret_cast<const uint8_t*>(kValidationKey); }

}  // namespace

bool Aes128EcbEncrypt(const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out, std::string* error) {
  return plat::Aes128Ecb(true, key, in, length, out, error);
}

bool Aes128EcbDecrypt(const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out, std::string* error) {
  return plat::Aes128Ecb(false, key, in, length, out, error);
}

std::vector<uint8_t> PadValidationRecord(const std::string& record) {
  std::vector<uint8_t> plain((record.size() + kBlock) & ~(kBlock - 1), 0);
  std::memcpy(plain.data(), record.data(), record.size());
  return plain;
}

std::string EncryptValidationRecord(const std::string& record, std::string* error) {
  const std::vector<uint8_t> plain = PadValidationRecord(record);
  std::vector<uint8_t> cipher(plain.size());
  if (!Aes128EcbEncrypt(Key(), plain.data(), plain.size(), cipher.data(), error)) return {};
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(cipher.size() * 2);
  for (uint8_t b : cipher) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

bool DecryptValidationRecord(const std::string& hex, std::string* record, std::string* error) {
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string text = hex;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty() || text.size() % (2 * kBlock) != 0) {
    if (error) *error = "not a validation file: " + std::to_string(text.size()) +
                        " characters are not whole 16-byte blocks in hexadecimal";
    return false;
  }
  std::vector<uint8_t> cipher(text.size() / 2);
  for (size_t i = 0; i < cipher.size(); ++i) {
    const int hi = nibble(text[2 * i]), lo = nibble(text[2 * i + 1]);
    if (hi < 0 || lo < 0) {
      if (error) *error = "not a validation file: a character that is not hexadecimal at offset " +
                          std::to_string(hi < 0 ? 2 * i : 2 * i + 1);
      return false;
    }
    cipher[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  std::vector<uint8_t> plain(cipher.size());
  if (!Aes128EcbDecrypt(Key(), cipher.data(), cipher.size(), plain.data(), error)) return false;
  // The record ends at its terminating zero.
  size_t end = 0;
  while (end < plain.size() && plain[end] != 0) ++end;
  if (end == plain.size()) {
    if (error) *error = "not a validation file of this program: the record has no end (another key?)";
    return false;
  }
  record->assign(reinterpret_cast<const char*>(plain.data()), end);
  return true;
}

bool WriteValidationFile(const std::string& path, const std::string& record, std::string* error) {
  const std::string hex = EncryptValidationRecord(record, error);
  if (hex.empty()) return false;
  return plat::ReplaceFileAtomically(path, hex, error);
}

bool ReadValidationFile(const std::string& path, std::string* record, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0 && text.size() <= kMaxFileChars) text.append(buffer, n);
  std::fclose(f);
  if (text.size() > kMaxFileChars) {
    if (error) *error = path + ": too large for a validation file";
    return false;
  }
  if (!DecryptValidationRecord(text, record, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

std::string ValidationFolderName(const std::tm& local) {
  static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const int month = local.tm_mon >= 0 && local.tm_mon < 12 ? local.tm_mon : 0;
  char name[64];
  std::snprintf(name, sizeof(name), "[%02d %s %04d - %dh%02d]", local.tm_mday, kMonths[month],
                local.tm_year + 1900, local.tm_hour, local.tm_min);
  return name;
}

std::string ValidationBaseDirectory() {
  const std::string config = plat::ConfigDirectory();
  return config.empty() ? std::string() : config + "/vdf";
}

std::string SaveValidationFileAuto(const std::string& base, const std::tm& local, int clockMHz,
                                   const std::string& record, std::string* error) {
  if (base.empty()) {
    if (error) *error = "no configuration directory: neither XDG_CONFIG_HOME nor HOME is set";
    return {};
  }
  const std::string folder = base + "/" + ValidationFolderName(local);
  if (!plat::MakeDirectories(folder, error)) return {};
  const std::string path = folder + "/tvk_" + std::to_string(clockMHz) + ".vdf";
  return WriteValidationFile(path, record, error) ? path : std::string();
}
