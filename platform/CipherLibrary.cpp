#include "platform/CipherLibrary.h"

#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/opensslv.h>

#include <climits>

namespace plat {

namespace {

#define TORVIK_STRINGIZE2(x) #x
#define TORVIK_STRINGIZE(x) TORVIK_STRINGIZE2(x)

// The functions used, typed by the headers the program was built against.
struct Functions {
  void* handle = nullptr;
  decltype(&EVP_CIPHER_CTX_new) ctxNew = nullptr;
  decltype(&EVP_CIPHER_CTX_free) ctxFree = nullptr;
  decltype(&EVP_aes_128_ecb) aes128Ecb = nullptr;
  decltype(&EVP_CipherInit_ex) init = nullptr;
  decltype(&EVP_CIPHER_CTX_set_padding) setPadding = nullptr;
  decltype(&EVP_CipherUpdate) update = nullptr;
  decltype(&EVP_CipherFinal_ex) final = nullptr;
  std::string error;  // why the library is unusable; empty when it loaded
};

template <typename F>
bool Take(void* handle, F& f, const char* symbol, std::string* missing) {
  f = reinterpret_cast<F>(dlsym(handle, symbol));
  if (!f && missing->empty()) *missing = symbol;
  return f != nullptr;
}

Functions Load(const std::string& name) {
  Functions f;
  f.handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!f.handle) {
    const char* why = dlerror();
    f.error = "cannot open the cipher library " + name + (why ? std::string(": ") + why : std::string());
    return f;
  }
  std::string missing;
  Take(f.handle, f.ctxNew, "EVP_CIPHER_CTX_new", &missing);
  Take(f.handle, f.ctxFree, "EVP_CIPHER_CTX_free", &missing);
  Take(f.handle, f.aes128Ecb, "EVP_aes_128_ecb", &missing);
  Take(f.handle, f.init, "EVP_CipherInit_ex", &missing);
  Take(f.handle, f.setPadding, "EVP_CIPHER_CTX_set_padding", &missing);
  Take(f.handle, f.update, "EVP_CipherUpdate", &missing);
  Take(f.handle, f.final, "EVP_CipherFinal_ex", &missing);
  if (!missing.empty()) {
    f.error = "the cipher library " + name + " has no " + missing;
    dlclose(f.handle);
    f.handle = nullptr;
  }
  return f;
}

// Opened once per process and kept: libcrypto registers process-wide state
// that is not meant to be unloaded.
const Functions& Library() {
  static const Functions functions = Load(CipherLibraryName());
  return functions;
}

}  // namespace

const char* CipherLibraryName() { return "libcrypto.so." TORVIK_STRINGIZE(OPENSSL_SHLIB_VERSION); }

bool ProbeCipherLibrary(const std::string& name, std::string* error) {
  Functions f = Load(name);
  if (f.handle) {
    dlclose(f.handle);
    return true;
  }
  if (error) *error = f.error;
  return false;
}

bool Aes128Ecb(bool encrypt, const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out,
               std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (length % 16 != 0 || length > static_cast<size_t>(INT_MAX)) return fail("not whole 16-byte blocks");
  const Functions& f = Library();
  if (!f.handle) return fail(f.error);
  EVP_CIPHER_CTX* ctx = f.ctxNew();
  if (!ctx) return fail("the cipher library failed to allocate a context");
  int produced = 0, tail = 0;
  const bool ok = f.init(ctx, f.aes128Ecb(), nullptr, key, nullptr, encrypt ? 1 : 0) == 1 &&
                  f.setPadding(ctx, 0) == 1 &&
                  f.update(ctx, out, &produced, in, static_cast<int>(length)) == 1 &&
                  f.final(ctx, out + produced, &tail) == 1 && static_cast<size_t>(produced + tail) == length;
  f.ctxFree(ctx);
  return ok ? true : fail("the cipher library failed");
}

}  // namespace plat
