// AES through the system's libcrypto, opened the first time a cipher is
// needed instead of at start-up: only validation files use it, and linking
// the library into every process costs each start of torvikctl a few
// milliseconds of symbol binding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

// libcrypto's file name for the major version the program was built with
// ("libcrypto.so.3").
const char* CipherLibraryName();

// AES-128 in ECB mode without padding over `length` bytes (whole 16-byte
// blocks). False with `error` when the length is not whole blocks, the
// library cannot be opened or lacks a function, or a call fails.
bool Aes128Ecb(bool encrypt, const uint8_t key[16], const uint8_t* in, size_t length, uint8_t* out,
               std::string* error);

// Opens `name` and takes the functions the cipher needs from it, as the
// first Aes128Ecb call does with CipherLibraryName(); false with `error`
// naming the library and what is missing. For checks of a library by name.
bool ProbeCipherLibrary(const std::string& name, std::string* error);

}  // namespace plat
