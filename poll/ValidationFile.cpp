#include "poll/ValidationFile.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr size_t kBlock = 16;
// Far above any record (8192-byte buffers): a file larger than this is not one.
constexpr size_t kMaxFileChars = 2 * 8192 + 2;

bool Aes128Ecb(bool encrypt, const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out) {
  if (length % kBlock != 0 || length > static_cast<size_t>(INT32_MAX)) return false;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  if (!ctx || EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1)
    return false;
  int produced = 0, tail = 0;
  if (EVP_CipherUpdate(ctx.get(), out, &produced, in, static_cast<int>(length)) != 1) return false;
  if (EVP_CipherFinal_ex(ctx.get(), out + produced, &tail) != 1) return false;
  return static_cast<size_t>(produced + tail) == length;
}

const uint8_t* Key() { return reinterpret_cast<const uint8_t*>(kValidationKey); }

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool MakeDirectory(const std::string& path, std::string* error) {
  if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
  }
  if (error) *error = SystemError("cannot create the folder", path);
  return false;
}

}  // namespace

bool Aes128EcbEncrypt(const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out) {
  return Aes128Ecb(true, key, in, length, out);
}

bool Aes128EcbDecrypt(const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out) {
  return Aes128Ecb(false, key, in, length, out);
}

std::vector<uint8_t> PadValidationRecord(const std::string& record) {
  std::vector<uint8_t> plain((record.size() + kBlock) & ~(kBlock - 1), 0);
  std::memcpy(plain.data(), record.data(), record.size());
  return plain;
}

std::string EncryptValidationRecord(const std::string& record) {
  const std::vector<uint8_t> plain = PadValidationRecord(record);
  std::vector<uint8_t> cipher(plain.size());
  if (!Aes128EcbEncrypt(Key(), plain.data(), plain.size(), cipher.data())) return {};
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
  if (!Aes128EcbDecrypt(Key(), cipher.data(), cipher.size(), plain.data())) {
    if (error) *error = "the cipher library failed";
    return false;
  }
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
  const std::string hex = EncryptValidationRecord(record);
  if (hex.empty()) {
    if (error) *error = "the cipher library failed";
    return false;
  }
  const std::string temporary = path + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = SystemError("cannot create", temporary);
    return false;
  }
  size_t done = 0;
  while (done < hex.size()) {
    const ssize_t n = write(fd, hex.data() + done, hex.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const bool written = done == hex.size() && fsync(fd) == 0;
  if (!written && error) *error = SystemError("cannot write", temporary);
  if (close(fd) != 0 && written) {
    if (error) *error = SystemError("cannot write", temporary);
    unlink(temporary.c_str());
    return false;
  }
  if (!written) {
    unlink(temporary.c_str());
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    if (error) *error = SystemError("cannot replace", path);
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadValidationFile(const std::string& path, std::string* record, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = SystemError("cannot open", path);
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
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/torvik/vdf";
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : ".") + "/.config/torvik/vdf";
}

std::string SaveValidationFileAuto(const std::string& base, const std::tm& local, int clockMHz,
                                   const std::string& record, std::string* error) {
  // Every missing level of the base is made (owner only), then the minute's folder.
  for (size_t slash = base.find('/', 1); slash != std::string::npos; slash = base.find('/', slash + 1))
    if (!MakeDirectory(base.substr(0, slash), error)) return {};
  if (!MakeDirectory(base, error)) return {};
  const std::string folder = base + "/" + ValidationFolderName(local);
  if (!MakeDirectory(folder, error)) return {};
  const std::string path = folder + "/tvk_" + std::to_string(clockMHz) + ".vdf";
  return WriteValidationFile(path, record, error) ? path : std::string();
}
