// Runs a fuzz target over inputs without libFuzzer: every file named on the
// command line, and every file inside a directory named there, in name
// order. Options such as -runs=0 are accepted and ignored, so that a build
// with libFuzzer and one without run their targets with the same arguments.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz.h"

namespace fs = std::filesystem;

namespace {
bool read_file(const fs::path& path, std::vector<char>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!arg.empty() && arg[0] == '-') continue;
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            std::vector<fs::path> files;
            for (const fs::directory_entry& e : fs::directory_iterator(arg, ec))
                if (e.is_regular_file()) files.push_back(e.path());
            std::sort(files.begin(), files.end());
            inputs.insert(inputs.end(), files.begin(), files.end());
        } else if (fs::is_regular_file(arg, ec)) {
            inputs.emplace_back(arg);
        } else {
            std::fprintf(stderr, "%s: no such file or directory: %s\n", argv[0], arg.c_str());
            return 2;
        }
    }
    std::vector<char> bytes;
    for (const fs::path& path : inputs) {
        if (!read_file(path, bytes)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path.c_str());
            return 2;
        }
        // The input alone in an allocation of its size, as libFuzzer hands it over.
        const fuzz::Exact input(bytes.data(), bytes.size());
        LLVMFuzzerTestOneInput(input.get(), bytes.size());
    }
    std::printf("%s: %zu inputs replayed\n", argv[0], inputs.size());
    return 0;
}
