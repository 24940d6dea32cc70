// Replays a fuzz target's corpus where there is no libFuzzer (a g++ build): every
// file given and every file of the folders given, in name order, goes once to the
// target's entry point, as `-runs=0` would do it. A fault or a sanitizer's report
// ends the run.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (fs::is_regular_file(argv[i])) {
      inputs.push_back(argv[i]);  // one input, such as a crash that libFuzzer saved
      continue;
    }
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[i], error)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    if (error) {
      std::cerr << argv[i] << ": " << error.message() << '\n';
      return 2;
    }
  }
  // An empty or mistyped corpus would otherwise pass without having tested anything.
  if (inputs.empty()) {
    std::cerr << "usage: " << argv[0] << " FOLDER_OR_FILE... (at least one input)\n";
    return 2;
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::cerr << path.string() << ": cannot be read\n";
      return 2;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Named first, so that the output of a run that faults ends with the input.
    std::cout << path.filename().string() << '\n' << std::flush;
    // A buffer of the input's exact size, as libFuzzer gives, so that a read past its
    // end is caught by AddressSanitizer (a string has room for its terminator).
    std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
    std::memcpy(data.get(), bytes.data(), bytes.size());
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
  }
  std::cout << inputs.size() << " inputs replayed without a fault\n";
  return 0;
}
