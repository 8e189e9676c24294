// --filter expressions: how long one may be, and which libpcap optimizes.
#include "capture/bpf_filter.h"

#include <gtest/gtest.h>

#include <string>

using namespace paketlog::tool;

namespace {

// "udp[2:2] = 7700 or udp[2:2] = 1000 or ...", as many terms as fit in
// `size` characters, padded with spaces to `size` (terms quick to compile:
// the time a long expression takes is the tool's tests' concern).
std::string ports_of_length(std::size_t size) {
    std::string e = "udp[2:2] = 7700";
    for (unsigned port = 1000;; ++port) {
        const std::string term = " or udp[2:2] = " + std::to_string(port);
        if (e.size() + term.size() > size) break;
        e += term;
    }
    return e + std::string(size - e.size(), ' ');
}

}  // namespace

TEST(BpfFilter, ExpressionOfTheMostCharactersCompiles) {
    EXPECT_EQ(BpfFilter().compile(1, ports_of_length(kMaxFilter)), "");
}

TEST(BpfFilter, ExpressionOfOneCharacterMoreIsRefused) {
    EXPECT_EQ(BpfFilter().compile(1, ports_of_length(kMaxFilter + 1)), "expression longer than 4096 characters");
}

TEST(BpfFilter, ExpressionOfTheMostCharactersOptimizedIsOptimized) {
    EXPECT_EQ(filter_optimization(std::string(kMaxOptimizedFilter, ' ')), 1);
}

TEST(BpfFilter, ExpressionOfOneCharacterMoreIsNotOptimized) {
    EXPECT_EQ(filter_optimization(std::string(kMaxOptimizedFilter + 1, ' ')), 0);
}
