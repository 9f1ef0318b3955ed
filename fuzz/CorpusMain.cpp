// SPDX-License-Identifier: MIT
// Runs a fuzz target once over every file of its seed corpus, in the ordinary
// build and without libFuzzer: the inputs that once made a target fail run
// again with every test run. A crash or an escaping exception fails the run.
//
//   corpus_fuzz_NAME DIR_OR_FILE...
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Optional in a target: the weak declaration is null when it has none.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

namespace fs = std::filesystem;

namespace {

bool runOne(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "corpus: cannot read %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const fs::directory_entry &entry : fs::recursive_directory_iterator(arg))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "corpus: no input given\n");
        return 2;
    }
    int failed = 0;
    for (const fs::path &file : files) {
        std::fprintf(stderr, "corpus: %s\n", file.c_str());
        if (!runOne(file))
            ++failed;
    }
    std::printf("%zu inputs run, %d unreadable\n", files.size(), failed);
    return failed == 0 ? 0 : 1;
}
