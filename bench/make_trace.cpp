// Writes a hex trace for measuring the paketlog command: one packet per line
// as hex digits, every listed type with a few unlisted ones, blocks of 0 to 12
// parameters of every kind. The same count and seed give the same trace.
//
//   paketlog_make_trace PACKETS [SEED] > trace.hex
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "samples.h"

namespace {

// Parameters per block: mostly none or a few, now and then twelve.
unsigned block_size(std::mt19937& random) {
    const unsigned roll = random() % 100;
    if (roll < 40) return 0;
    if (roll < 70) return 1;
    if (roll < 85) return 2;
    if (roll < 95) return 3;
    return 12;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s PACKETS [SEED] > trace.hex\n", argv[0]);
        return 2;
    }
    const unsigned long count = std::strtoul(argv[1], nullptr, 10);
    std::mt19937 random(argc == 3 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1u);

    std::vector<bench::Bytes> params;
    for (const bench::NamedParam& p : bench::one_param_of_each_type()) params.push_back(p.bytes);
    const std::vector<bench::ListedType>& listed = bench::listed_types();
    const unsigned char unlisted[] = {0, 131, 146, 212};

    static const char kHex[] = "0123456789abcdef";
    std::string line;
    for (unsigned long n = 0; n < count; ++n) {
        std::vector<bench::Bytes> chosen(block_size(random));
        for (bench::Bytes& p : chosen) p = params[random() % params.size()];
        const unsigned char type =
            random() % 100 == 0 ? unlisted[random() % sizeof unlisted] : listed[random() % listed.size()].type;
        bench::Bytes p = bench::packet(type, bench::block(chosen));
        const unsigned seance = random();
        for (int i = 0; i < 4; ++i) p[6 + i] = static_cast<unsigned char>(seance >> (8 * i));
        line.clear();
        for (unsigned char b : p) {
            line += kHex[b >> 4];
            line += kHex[b & 15];
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
