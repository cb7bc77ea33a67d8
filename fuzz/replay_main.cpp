// Without libFuzzer (a gcc build), each fuzz target is linked with this driver and run as a
// test over its committed seeds and the regression inputs that fuzzing once found.
// Usage: <target> SEED_DIR [REGRESSION_DIR...]. The seed folder must hold at least one input,
// so that a lost or misnamed folder fails the test instead of replaying nothing; regression
// folders may be missing or empty. Inputs run in name order.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsIn(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> inputs;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error))
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEED_DIR [REGRESSION_DIR...]\n", argv[0]);
    return 2;
  }
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::vector<std::filesystem::path> files = InputsIn(argv[i]);
    if (i == 1 && files.empty()) {
      std::fprintf(stderr, "%s: no seed inputs in %s\n", argv[0], argv[i]);
      return 1;
    }
    for (const std::filesystem::path& path : files) {
      std::ifstream in(path, std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++inputs;
    }
  }
  std::printf("replayed %d inputs\n", inputs);
  return 0;
}
