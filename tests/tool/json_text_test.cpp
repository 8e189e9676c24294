#include "json_text.h"

#include <gtest/gtest.h>

using paketlog::tool::json_string;

// Quotes, backslashes and UTF-8 text are pinned by the escapes run of the program.
TEST(JsonText, ControlCharactersAreEscaped) {
    EXPECT_EQ(json_string(""), "\"\"");
    EXPECT_EQ(json_string("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
    EXPECT_EQ(json_string(std::string("a\0\x01\x1F\x7F" "b", 6)), "\"a\\u0000\\u0001\\u001f\\u007fb\"");
}
