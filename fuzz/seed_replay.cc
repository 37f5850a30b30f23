// Runs a fuzz target's entry once on the empty input and once on every file of a seed folder
// (a missing folder holds none), in name order. A finding aborts, as it does under libFuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SEED_FOLDER\n", argv[0]);
    return 2;
  }
  std::vector<std::filesystem::path> seeds;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], error)) {
    if (entry.is_regular_file()) seeds.push_back(entry.path());
  }
  std::sort(seeds.begin(), seeds.end());
  // The empty input first; the data pointer is never null, as under libFuzzer.
  const uint8_t nothing = 0;
  LLVMFuzzerTestOneInput(&nothing, 0);
  for (const std::filesystem::path& seed : seeds) {
    std::ifstream file(seed, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    if (!file.eof() && file.fail()) {
      std::fprintf(stderr, "cannot read %s\n", seed.string().c_str());
      return 1;
    }
    std::fprintf(stderr, "%s\n", seed.filename().string().c_str());
    // An exact-size copy, so that reading past the input is an AddressSanitizer report.
    std::vector<uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.empty() ? &nothing : input.data(), input.size());
  }
  std::printf("%zu seeds replayed from %s\n", seeds.size(), argv[1]);
  return 0;
}
