// A main for the fuzz targets in builds without libFuzzer: runs the target
// once on every file named on the command line, or in a folder named there
// (not its subfolders), in name order. A target's checks abort on a fault,
// which fails the test that replays its corpus.
//   fuzz_<target> <corpus folder or file>...
// Fails too when it finds no input at all, so a corpus that went missing
// doesn't pass for an empty one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Optional, as with libFuzzer: only targets that need set-up define it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(int argc, char **argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path named(argv[i]);
        if (!fs::is_directory(named)) {
            inputs.push_back(named);
            continue;
        }
        std::vector<fs::path> files;
        for (const fs::directory_entry &entry : fs::directory_iterator(named))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    return inputs;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    const std::vector<fs::path> inputs = inputsOf(argc, argv);
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: no inputs to replay\n", argv[0]);
        return 1;
    }
    for (const fs::path &input : inputs) {
        std::ifstream file(input, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        // Exactly the input's size, so the sanitizers catch a read past it.
        std::vector<uint8_t> data{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
        std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.c_str(), data.size());
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
