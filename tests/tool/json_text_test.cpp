#include "json_text.h"

#include <gtest/gtest.h>

using paketlog::tool::json_string;

namespace {

TEST(JsonText, QuotesAndEscapes) {
    EXPECT_EQ(json_string(""), "\"\"");
    EXPECT_EQ(json_string("EAP=0 "), "\"EAP=0 \"");
    EXPECT_EQ(json_string("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(json_string("a\\x98b"), "\"a\\\\x98b\"");
    EXPECT_EQ(json_string("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
    EXPECT_EQ(json_string(std::string("\x01\x1F\x7F", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(json_string(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(JsonText, Utf8PassesThrough) {
    EXPECT_EQ(json_string("<< пакет  ЦИФРА          :: [5] "), "\"<< пакет  ЦИФРА          :: [5] \"");
    EXPECT_EQ(json_string("/ € №"), "\"/ € №\"");
}

}  // namespace
