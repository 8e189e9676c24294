// The host formatter against the C library's snprintf: the same bytes for
// every size, nothing written past the NUL, the characters placed returned.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "paketlog.h"

template <typename... Args>
void same_as_c_library(const char* format, Args... args) {
    const int wanted = std::snprintf(nullptr, 0, format, args...);
    for (int size : {-1, 0, 1, 2, 5, wanted, wanted + 1, 300}) {
        std::string ours(300, '#'), theirs(300, '#');
        const int placed = tevo_snprintf(&ours[0], size, format, args...);
        if (size > 0) std::snprintf(&theirs[0], static_cast<std::size_t>(size), format, args...);
        EXPECT_EQ(placed, size > 0 ? std::min(wanted, size - 1) : 0) << format << ", size " << size;
        EXPECT_EQ(ours, theirs) << format << ", size " << size;
    }
}

TEST(HostFormatter, WritesWhatTheCLibraryWrites) {
    for (const char* s : {"", "x", "sip:1001@10.0.0.1"}) {
        for (unsigned u : {0u, 7u, 0xabu, 0xabcu, UINT_MAX}) {
            same_as_c_library("%s=%u; ", s, u);
            same_as_c_library("%s=%u:%u; ", s, u, u + 1);
            same_as_c_library("Unknown add param:Type=0x%02X Len=%u", u, u);
            same_as_c_library("%02x ", u);
            same_as_c_library("%s: ID=%u Dstn=%u %s; ", s, u, u, s);
            same_as_c_library("%u%%|%s", u, s);
            same_as_c_library("%u %s|%5u|%-4s|%llx", u, s, u, s, 1ull << 40);  // left to the C library
        }
        for (int d : {0, 42, -1, INT_MIN, INT_MAX}) same_as_c_library("%s=%s Ka=%d %s; ", s, s, d, s);
    }
}
