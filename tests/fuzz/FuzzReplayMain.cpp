// Replays every file of a corpus directory through a fuzz target's entry
// point, without libFuzzer: `<target>_replay DIR...`. Fails when a
// directory is missing or empty, so a corpus cannot silently vanish.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR...\n", argv[0]);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[i], ec))
      if (entry.is_regular_file()) files.push_back(entry.path());
    if (ec || files.empty()) {
      std::fprintf(stderr, "%s: no corpus files\n", argv[i]);
      return 1;
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
      std::ifstream in(path, std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::printf("%s (%zu bytes)\n", path.filename().c_str(), bytes.size());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed from %s\n", files.size(), argv[i]);
  }
  return 0;
}
