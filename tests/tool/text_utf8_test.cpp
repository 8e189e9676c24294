#include "text_utf8.h"

#include <gtest/gtest.h>

using paketlog::tool::Cp1251ToUtf8;

namespace {

TEST(Utf8Text, AsciiStaysAsItIs) {
    const Cp1251ToUtf8 utf8;
    EXPECT_EQ(utf8.convert("<< DIALDIGIT :  17: Digit=5 EAP=0 "), "<< DIALDIGIT :  17: Digit=5 EAP=0 ");
    EXPECT_EQ(utf8.convert("C:\\path ~"), "C:\\path ~");
    EXPECT_EQ(utf8.convert(""), "");
}

TEST(Utf8Text, Windows1251LettersBecomeUtf8) {
    const Cp1251ToUtf8 utf8;
    // "<< пакет " and "Сеанс=": the prefixes and labels of the test-call line.
    EXPECT_EQ(utf8.convert("<< \xEF\xE0\xEA\xE5\xF2 "), "<< пакет ");
    EXPECT_EQ(utf8.convert("\xD1\xE5\xE0\xED\xF1=7"), "Сеанс=7");
    EXPECT_EQ(utf8.convert("\xC0\xDF\xE0\xFF"), "АЯая");
    EXPECT_EQ(utf8.convert("\xA8\xB8\xB9"), "Ёё№");
    EXPECT_EQ(utf8.convert("\x88\x96\xAB\xBB"), "€–«»");
    EXPECT_EQ(utf8.convert("\xA0\xAD"), "\u00A0\u00AD");  // no-break space, soft hyphen: characters
}

TEST(Utf8Text, BytesThatWouldBreakOrHideAreEscaped) {
    const Cp1251ToUtf8 utf8;
    EXPECT_EQ(utf8.convert("a\x98z"), "a\\x98z");  // no Windows-1251 character
    EXPECT_EQ(utf8.convert("disp\n01"), "disp\\x0A01");
    EXPECT_EQ(utf8.convert("\r\t\x1B\x7F\x01"), "\\x0D\\x09\\x1B\\x7F\\x01");
    EXPECT_EQ(utf8.convert("\x1F \x20"), "\\x1F  ");
    EXPECT_EQ(utf8.convert("\xC4\x98\xC4"), "Д\\x98Д");
}

TEST(Utf8Text, EveryByteShowsAsSomething) {
    const Cp1251ToUtf8 utf8;
    for (int b = 1; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const std::string shown = utf8.convert(std::string(1, byte));
        EXPECT_FALSE(shown.empty()) << b;
        EXPECT_EQ(shown.find('\n'), std::string::npos) << b;
    }
}

}  // namespace
