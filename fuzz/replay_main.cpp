// A fuzz target without libFuzzer: runs the files named on the command line
// and those inside directories named there, in path order.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i]))
            for (const fs::directory_entry& e : fs::directory_iterator(argv[i])) inputs.push_back(e.path());
        else if (argv[i][0] != '-')  // options such as -runs=0 are libFuzzer's
            inputs.emplace_back(argv[i]);
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path.c_str()), 2;
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // As libFuzzer hands it over: alone in an allocation of its size.
        LLVMFuzzerTestOneInput(fuzz::exact(bytes.data(), bytes.size(), bytes.size()).get(), bytes.size());
    }
    std::printf("%s: %zu inputs replayed\n", argv[0], inputs.size());
}
