// How the command shows the library's bytes: as UTF-8 text, and inside JSON strings.
#include <gtest/gtest.h>

#include <cstdio>

#include "json_text.h"
#include "text_utf8.h"

using paketlog::tool::Cp1251ToUtf8;
using paketlog::tool::json_string;

TEST(Utf8Text, Windows1251Table) {
    const Cp1251ToUtf8 utf8;
    EXPECT_EQ(utf8.convert("<< \xEF\xE0\xEA\xE5\xF2 \xC0\xDF\xE0\xFF\xA8\xB8\xB9"), "<< пакет АЯаяЁё№");
    EXPECT_EQ(utf8.convert("\x88\x96\xAB\xBB\xA0\xAD~"), "€–«»\u00A0\u00AD~");
    // Every byte but the controls and 0x98 is a character of its own; nothing breaks a line.
    for (int b = 0; b < 256; ++b) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", b);
        const std::string shown = utf8.convert(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(shown == escape, b < 0x20 || b == 0x7F || b == 0x98) << b << ": " << shown;
        EXPECT_TRUE(!shown.empty() && (b < 0x80 || shown.size() >= 2)) << b;
        EXPECT_EQ(shown.find('\n'), std::string::npos) << b;
    }
}

// Quotes, backslashes and UTF-8 text are pinned by the escapes run of the program.
TEST(JsonText, ControlCharactersAreEscaped) {
    EXPECT_EQ(json_string("\n\r\t\b\f"), "\"\\n\\r\\t\\b\\f\"");
    EXPECT_EQ(json_string(std::string("a\0\x01\x1F\x7F" "b", 6)), "\"a\\u0000\\u0001\\u001f\\u007fb\"");
}
