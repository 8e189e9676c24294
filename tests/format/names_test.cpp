// The texts that unlisted connection codes and causes are written into.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "paketlog.h"

TEST(ConnectNames, UnlistedTypeAndSourceKeepSeparateBuffers) {
    const char* type = get_connect_type(9, false);
    const char* source = get_connect_source(7, true);
    EXPECT_EQ(get_connect_type(0xAB, true), type);  // a second miss reuses the buffer
    get_connect_type(1, false);                     // a hit leaves it alone
    get_connect_source(4, true);
    EXPECT_STREQ(type, "Unknown(0xAB)");
    EXPECT_STREQ(source, "Unknown(0x07)");
    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(get_connect_type(*ws, 0x31, true), ws->connect_type_text);
    EXPECT_EQ(get_connect_source(*ws, 0x32, false), ws->connect_source_text);
    EXPECT_STREQ(type, "Unknown(0xAB)");
}

TEST(Cause, NullRecordClearsOnlyItsOwnText) {
    _PD_CAUSE cause{1, 2, 3, 4};
    char* op = cause2str(&cause);
    char* tc = cause2strTC(&cause);
    const std::string tc_text = tc;
    EXPECT_EQ(cause2str(nullptr), op);
    EXPECT_EQ(std::string(op, 64), std::string(64, '\0'));
    EXPECT_EQ(tc, tc_text);
    EXPECT_EQ(cause2strTC(nullptr), tc);
    EXPECT_EQ(std::string(tc, 64), std::string(64, '\0'));
    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(cause2str(*ws, &cause), ws->cause_text);
    EXPECT_EQ(cause2strTC(*ws, &cause), ws->cause_text_tc);
    EXPECT_STREQ(op, "");
}
