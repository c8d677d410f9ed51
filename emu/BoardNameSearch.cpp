#include "emu/BoardNameSearch.h"

#include <vector>

#include "boardid/BoardHash.h"

namespace emu {

namespace {

// Characters in order of preference for the code; punctuation only where no
// letter or digit has the residue a position needs.
constexpr char kPreferred[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-_.+=/;<>?[]^{}|~";

}  // namespace

// A character at position i is shifted by its own shift and by every later
// one: the hash is the sum of c_i * 2^S_i (mod 2^32), S_i being the sum of
// the shifts (pos mod 6) from i to the end. Characters with S_i >= 32 do not
// count at all, so the prefix is free once the code is long enough, and the
// code is found from the end: each character must have the residue that
// leaves the remainder divisible by the next weight.
std::optional<std::string> FindProductForBoardId(uint32_t boardId, const std::string& prefix) {
  for (size_t codeLength = 8; codeLength <= 20; ++codeLength) {
    const size_t total = prefix.size() + codeLength;
    std::vector<int> weight(total + 1, 0);  // S_i
    for (size_t i = total; i-- > 0;) weight[i] = weight[i + 1] + static_cast<int>(i % 6);
    // The prefix must not reach the hash (without a prefix, neither may the
    // code's first character, which then has no earlier bits to make up).
    if (weight[prefix.empty() ? 0 : prefix.size() - 1] < 32) continue;

    std::string code(codeLength, '0');
    uint64_t remainder = boardId;
    bool ok = true;
    for (size_t k = codeLength; k-- > 0 && ok;) {
      const size_t pos = prefix.size() + k;
      const int s = weight[pos];
      if (s >= 32) {
        code[k] = '0';
        continue;
      }
      if (remainder & ((1ull << s) - 1)) {
        ok = false;
        break;
      }
      // Earlier characters carry weight 2^weight[pos-1]: this one must make
      // up the bits in between.
      const int next = pos > 0 ? weight[pos - 1] : 64;
      const int bits = (next > 32 ? 32 : next) - s;
      const uint64_t need = (remainder >> s) & ((1ull << bits) - 1);
      char chosen = 0;
      for (const char* p = kPreferred; *p; ++p)
        if ((static_cast<uint64_t>(static_cast<unsigned char>(*p)) & ((1ull << bits) - 1)) == need) {
          chosen = *p;
          break;
        }
      if (!chosen) {
        ok = false;
        break;
      }
      code[k] = chosen;
      remainder = (remainder - (static_cast<uint64_t>(static_cast<unsigned char>(chosen)) << s)) & 0xFFFFFFFFull;
    }
    if (!ok) continue;
    std::string product = prefix + code;
    if (sdk::BoardHash(product) == boardId) return product;
  }
  return std::nullopt;
}

}  // namespace emu
