// Replays fuzz inputs through a target without a fuzzing engine: every
// regular file of every directory (or file) named on the command line, in
// name order. A crash is the failure; an argument that yields no input at all
// fails too, so that a misplaced corpus cannot pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIR_OR_FILE...\n", argv[0]);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> inputs;
    std::error_code error;
    if (fs::is_directory(argv[i], error)) {
      for (const auto& item : fs::directory_iterator(argv[i], error))
        if (item.is_regular_file())
          inputs.push_back(item.path());
      std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(argv[i], error)) {
      inputs.emplace_back(argv[i]);
    }
    if (inputs.empty()) {
      std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[i]);
      return 1;
    }
    for (const fs::path& path : inputs) {
      std::ifstream in(path, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path.c_str());
        return 1;
      }
      std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
      std::printf("%s (%zu bytes)\n", path.filename().c_str(), bytes.size());
      std::fflush(stdout);
      // A fuzzing engine never hands over a null pointer, even for no bytes.
      static const uint8_t none = 0;
      LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    }
    std::printf("%zu inputs from %s\n", inputs.size(), argv[i]);
  }
  return 0;
}
