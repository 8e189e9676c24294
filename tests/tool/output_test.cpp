// How the command shows the library's bytes: as UTF-8 text, inside JSON strings,
// in hex, behind tcpdump-style addresses; which packets the filters keep;
// and the JSON "truncated" flag, which must agree with what the decoders print
// (given a buffer of exactly the packet's size, they must read no further).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "capture/endpoint_text.h"
#include "decode/packet_filter.h"
#include "decode/packet_line.h"
#include "decode/packet_shape.h"
#include "golden.h"
#include "output/hex_dump.h"
#include "text/decimal_text.h"
#include "text/json_text.h"
#include "text/text_utf8.h"

using namespace paketlog::tool;

TEST(Utf8Text, Windows1251Table) {
    const Cp1251ToUtf8 utf8;
    EXPECT_EQ(utf8.convert("<< \xEF\xE0\xEA\xE5\xF2 \xC0\xDF\xE0\xFF\xA8\xB8\xB9 \x88\x96\xAB\xBB\xA0\xAD~"),
              "<< пакет АЯаяЁё№ €–«»\u00A0\u00AD~");
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

// Every corpus packet (every type, blocks of up to thirteen parameters, unlisted
// types) cut at every length, and whole with a byte after it.
TEST(PacketShape, TruncatedFlagAgreesAtEveryCut) {
    auto ws = std::make_unique<paketlog::Workspace>();
    auto text = std::make_unique<LineText>();
    for (const testing_support::GoldenEntry& e : testing_support::golden_corpus()) {
        std::vector<unsigned char> whole = e.packet;
        EXPECT_FALSE(packet_truncated(whole.data(), whole.size())) << e.name;
        whole.push_back(0xEE);  // a byte after the block does no harm
        for (std::size_t n = 1; n <= whole.size(); ++n) {
            std::vector<unsigned char> packet(whole.begin(), whole.begin() + static_cast<long>(n));
            packet.shrink_to_fit();
            const bool flag = packet_truncated(packet.data(), n);
            for (bool testcall : {false, true}) {
                Options o;
                o.testcall = testcall;
                const std::string_view line = decode_packet_text(o, *ws, *text, packet.data(), n);
                // "Truncated packet" or "[|eap]" in the operator line, "Пакет обрезан" in the test-call line.
                const bool said = line.find("Truncated packet") != line.npos || line.find("[|eap]") != line.npos ||
                                  line.find("\xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED") != line.npos;
                ASSERT_EQ(flag, said) << e.name << ", " << n << " bytes: " << line;
            }
        }
    }
}

// tcpdump's -x layout: a tab, the offset, two blanks, groups of two bytes, an odd byte alone.
TEST(HexPrint, TcpdumpLayout) {
    std::vector<unsigned char> bytes(33);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 17);
    const std::pair<std::size_t, const char*> cases[] = {
        {0, ""},
        {1, "\t0x0000:  00\n"},
        {2, "\t0x0000:  0011\n"},
        {16, "\t0x0000:  0011 2233 4455 6677 8899 aabb ccdd eeff\n"},
        {17, "\t0x0000:  0011 2233 4455 6677 8899 aabb ccdd eeff\n\t0x0010:  10\n"},
        {33, "\t0x0000:  0011 2233 4455 6677 8899 aabb ccdd eeff\n\t0x0010:  1021 3243 5465 7687 98a9 bacb dced fe0f\n"
             "\t0x0020:  20\n"},
    };
    for (const auto& c : cases) {
        TextBuffer out;
        append_hex_lines(out, bytes.data(), c.first);
        EXPECT_EQ(out.view(), c.second) << c.first << " bytes";
    }
}

// Addresses as tcpdump writes them: IPv6 shortened, the port behind a dot.
TEST(EndpointText, Ipv4AndIpv6) {
    UdpDatagram d;
    d.src_port = 40000;
    d.dst_port = 7;
    d.address.version = 4;
    d.address.src = {10, 0, 0, 1};
    d.address.dst = {255, 255, 255, 255};
    char text[kEndpointsTextSize];
    EXPECT_EQ(std::string(text, write_endpoints(d, text)), "10.0.0.1.40000 > 255.255.255.255.7:");
    d.address.version = 6;
    d.address.src = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    d.address.dst = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    EXPECT_EQ(std::string(text, write_endpoints(d, text)), "2001:db8::1.40000 > fe80::ffff.7:");
}

// --type by code or by name in either wording (case ignored), --seance; a
// packet too short for a field asked for is dropped, unless it is only the
// start of a datagram that never came together.
TEST(PacketFilter, TypesSeancesAndShortPackets) {
    Options o;
    o.types = {"dialdigit", "0x88", "ВЫЗОВ"};
    o.seances = {7, 17};
    PacketFilter filter;
    ASSERT_EQ(filter.set(o), "");
    const unsigned char dialdigit17[] = {0, 0, 128, 0, 0, 0, 17, 0, 0, 0, 5, 0};
    const unsigned char chk7[] = {0, 0, 136, 0, 0, 0, 7, 0, 0, 0, 3, 0};
    const unsigned char dialnumber7[] = {0, 0, 129, 0, 0, 0, 7, 0, 0, 0};
    const unsigned char control7[] = {0, 0, 130, 0, 0, 0, 7, 0, 0, 0};
    const unsigned char dialdigit8[] = {0, 0, 128, 0, 0, 0, 8, 0, 0, 0};
    const struct {
        const unsigned char* bytes;
        std::size_t size;
        bool part, kept;
    } cases[] = {
        {dialdigit17, sizeof dialdigit17, false, true}, {chk7, sizeof chk7, false, true},
        {dialnumber7, sizeof dialnumber7, false, true}, {control7, sizeof control7, false, false},
        {dialdigit8, sizeof dialdigit8, false, false},  {dialdigit17, 9, false, false},
        {dialdigit17, 9, true, true},                   {dialdigit17, 2, true, true},
        {control7, 9, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filter.keeps(c.bytes, c.size, c.part), c.kept) << int{c.bytes[2]} << ", " << c.size << " bytes";
    for (const char* bad : {"256", "-1", "DIAL", ""}) {
        Options wrong;
        wrong.types = {bad};
        EXPECT_EQ(PacketFilter().set(wrong), std::string("--type wants a packet type from 0 to 255 or its name, not '") + bad + "'");
    }
}

// A test-call name in small or mixed Cyrillic letters names its type as
// the capitals the line prints do.
bool keeps_type_named(const std::string& name, unsigned char type) {
    Options o;
    o.types = {name};
    PacketFilter filter;
    if (!filter.set(o).empty()) return false;
    const unsigned char packet[] = {0, 0, type, 0, 0, 0, 7, 0, 0, 0};
    return filter.keeps(packet, sizeof packet);
}

TEST(PacketFilter, TestCallNameInSmallCyrillicLetters) { EXPECT_TRUE(keeps_type_named("вызов", 129)); }

TEST(PacketFilter, TestCallNameInMixedCyrillicLetters) { EXPECT_TRUE(keeps_type_named("уПРАВЛЕНИЕ", 130)); }

TEST(PacketFilter, TestCallNameOfSeveralWordsInSmallLetters) {
    EXPECT_TRUE(keeps_type_named("номер вызывающего абонента", 132));
}

TEST(PacketFilter, SmallCyrillicNameKeepsOnlyItsType) { EXPECT_FALSE(keeps_type_named("вызов", 130)); }

namespace {

std::string every_byte() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

// Each way the converter works: the widest the processor has (32 bytes with
// AVX2), sixteen bytes (SSSE3) and the table alone, which the others must match.
constexpr Cp1251ToUtf8::Stride kStrides[] = {Cp1251ToUtf8::Stride::Widest, Cp1251ToUtf8::Stride::Sixteen,
                                             Cp1251ToUtf8::Stride::Eight};

int stride_number(Cp1251ToUtf8::Stride stride) { return static_cast<int>(stride); }

// The form of each byte alone, through the table.
const std::vector<std::string>& forms() {
    static const std::vector<std::string> shown = [] {
        const Cp1251ToUtf8 table(Cp1251ToUtf8::Stride::Eight);
        std::vector<std::string> each;
        for (int b = 0; b < 256; ++b) each.push_back(table.convert(std::string(1, static_cast<char>(b))));
        return each;
    }();
    return shown;
}

// `text` one byte at a time: what the table says of each byte, in turn.
std::string byte_by_byte(const std::string& text) {
    std::string shown;
    for (char c : text) shown += forms()[static_cast<unsigned char>(c)];
    return shown;
}

}  // namespace

TEST(Utf8Text, AppendKeepsWhatTheBufferHeld) {
    const Cp1251ToUtf8 utf8;
    TextBuffer out;
    out.append("head|");
    utf8.append("\xC0" "b", out);
    EXPECT_EQ(std::string(out.view()), "head|Аb");
}

// The buffer starts at 256 bytes and doubles: text added at every fill
// level around its first sizes comes out whole.
TEST(Utf8Text, AppendAcrossTheBufferGrowing) {
    const std::string text = every_byte();
    const std::string shown = byte_by_byte(text);
    for (const auto stride : kStrides) {
        const Cp1251ToUtf8 utf8(stride);
        for (std::size_t before = 0; before <= 1100; before += 7) {
            TextBuffer out;
            out.append(std::string(before, '.'));
            utf8.append(text, out);
            ASSERT_EQ(std::string(out.view()), std::string(before, '.') + shown) << stride_number(stride) << ' ' << before;
        }
    }
}

TEST(Utf8Text, AppendOfNothingAddsNothing) {
    for (const auto stride : kStrides) {
        const Cp1251ToUtf8 utf8(stride);
        TextBuffer out;
        utf8.append("", out);
        EXPECT_TRUE(out.empty()) << stride_number(stride);
    }
}

TEST(JsonText, EmptyTextIsTwoQuotes) {
    TextBuffer out;
    json_append("", out);
    EXPECT_EQ(std::string(out.view()), "\"\"");
}

// A run of plain text, then an escape at the very end, then one at the start.
TEST(JsonText, EscapesAtTheEndsOfRuns) {
    TextBuffer out;
    json_append("ab\"", out);
    json_append("\\cd", out);
    EXPECT_EQ(std::string(out.view()), "\"ab\\\"\"\"\\\\cd\"");
}

TEST(JsonText, AppendAcrossTheBufferGrowing) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "\x01x\"";
    std::string quoted = "\"";
    for (int i = 0; i < 100; ++i) quoted += "\\u0001x\\\"";
    quoted += '"';
    for (std::size_t before = 0; before <= 1100; before += 13) {
        TextBuffer out;
        out.append(std::string(before, '.'));
        json_append(text, out);
        ASSERT_EQ(std::string(out.view()), std::string(before, '.') + quoted) << before;
    }
}

// Every byte at every place of a text of every length up to two blocks
// of 32 and one byte more, among letters and plain bytes, each way, with the text alone in
// its buffer (a read past it is caught by the address sanitizer) and with
// padding after it that must not show.
namespace {

constexpr std::size_t kLongest = 2 * 32 + 1;

// Letters and plain bytes taking turns, as in Russian text.
std::string mixed_text(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += i % 3 == 1 ? static_cast<char>(0xC0 + i % 64) : static_cast<char>('a' + i % 26);
    return text;
}

// The form of each byte inside a JSON string.
const std::vector<std::string>& json_forms() {
    static const std::vector<std::string> shown = [] {
        std::vector<std::string> each;
        for (const std::string& form : forms()) {
            const std::string quoted = json_string(form);
            each.push_back(quoted.substr(1, quoted.size() - 2));
        }
        return each;
    }();
    return shown;
}

// The first text `utf8` shows otherwise than byte by byte, or "" when none.
std::string first_mismatch(const Cp1251ToUtf8& utf8, bool json, bool padded) {
    const std::vector<std::string>& shown = json ? json_forms() : forms();
    const std::string quote = json ? "\"" : "";
    TextBuffer out;
    for (std::size_t length = 1; length <= kLongest; ++length) {
        const std::string text = mixed_text(length);
        const std::size_t room = length + (padded ? Cp1251ToUtf8::kPadding : 0);
        const std::unique_ptr<char[]> bytes(new char[room]);
        std::memcpy(bytes.get(), text.data(), length);
        for (std::size_t k = length; k < room; ++k) bytes[k] = "\x98\"\xC0\x01"[k % 4];  // unlike any text
        const std::string_view view(bytes.get(), length);
        for (std::size_t at = 0; at < length; ++at) {
            std::string head = quote, tail;
            for (std::size_t k = 0; k < at; ++k) head += shown[static_cast<unsigned char>(text[k])];
            for (std::size_t k = at + 1; k < length; ++k) tail += shown[static_cast<unsigned char>(text[k])];
            tail += quote;
            for (int b = 0; b < 256; ++b) {
                bytes[at] = static_cast<char>(b);
                out.clear();
                if (padded && json) utf8.append_json(Cp1251ToUtf8::PaddedText{view}, out);
                if (padded && !json) utf8.append(Cp1251ToUtf8::PaddedText{view}, out);
                if (!padded && json) utf8.append_json(view, out);
                if (!padded && !json) utf8.append(view, out);
                if (out.view() != head + shown[static_cast<std::size_t>(b)] + tail)
                    return "length " + std::to_string(length) + " byte " + std::to_string(b) + " at " + std::to_string(at);
            }
            bytes[at] = text[at];
        }
    }
    return "";
}

}  // namespace

TEST(Utf8Text, EveryByteAtEveryPlaceOfEveryLength) {
    for (const auto stride : kStrides)
        EXPECT_EQ(first_mismatch(Cp1251ToUtf8(stride), false, false), "") << stride_number(stride);
}

TEST(Utf8Text, EveryByteAtEveryPlaceOfEveryLengthPadded) {
    for (const auto stride : kStrides)
        EXPECT_EQ(first_mismatch(Cp1251ToUtf8(stride), false, true), "") << stride_number(stride);
}

TEST(JsonText, EveryByteAtEveryPlaceOfEveryLength) {
    for (const auto stride : kStrides)
        EXPECT_EQ(first_mismatch(Cp1251ToUtf8(stride), true, false), "") << stride_number(stride);
}

TEST(JsonText, EveryByteAtEveryPlaceOfEveryLengthPadded) {
    for (const auto stride : kStrides)
        EXPECT_EQ(first_mismatch(Cp1251ToUtf8(stride), true, true), "") << stride_number(stride);
}

// Letters and plain bytes in every order of sixteen, with all 64 letters,
// then a tail shorter than sixteen: letters are worked out many at a time.
namespace {

std::string letters_among_plain() {
    std::string text;
    for (unsigned order = 0; order < 0x10000; ++order)
        for (unsigned k = 0; k < 16; ++k)
            text += (order >> k & 1) != 0 ? static_cast<char>('a' + (order + k) % 26)
                                          : static_cast<char>(0xC0 + (order + k) % 64);
    return text + "\xE0z\xFF";
}

}  // namespace

TEST(Utf8Text, LettersAmongPlainBytesMatchByteByByte) {
    const std::string text = letters_among_plain();
    for (const auto stride : kStrides) {
        const Cp1251ToUtf8 utf8(stride);
        TextBuffer out;
        utf8.append(text, out);
        EXPECT_EQ(std::string(out.view()), byte_by_byte(text)) << stride_number(stride);
    }
}

TEST(JsonText, LettersAmongPlainBytesMatchEscapingTheUtf8) {
    const std::string text = letters_among_plain();
    for (const auto stride : kStrides) {
        const Cp1251ToUtf8 utf8(stride);
        TextBuffer out;
        utf8.append_json(text, out);
        EXPECT_EQ(std::string(out.view()), json_string(byte_by_byte(text))) << stride_number(stride);
    }
}

// Every number from one digit to twenty, at each power of ten and just below it.
TEST(DecimalText, NumbersAroundEachPowerOfTen) {
    std::uint64_t power = 1;
    for (int digits = 1; digits <= 20; ++digits, power *= 10) {
        for (const std::uint64_t value : {power - 1, power}) {
            char text[24];
            char* const end = put_decimal(text, value);
            EXPECT_EQ(std::string(text, end), std::to_string(value));
        }
    }
    char text[24];
    EXPECT_EQ(std::string(text, put_decimal(text, UINT64_MAX)), "18446744073709551615");
}
