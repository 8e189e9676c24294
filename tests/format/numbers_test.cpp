// Subscriber numbers, the dialled-text parser and subscriber descriptors.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "paketlog.h"

namespace {
_PD_NUMBER make_number(std::initializer_list<unsigned char> digits, unsigned char property) {
    _PD_NUMBER n{};
    n.property = property;
    for (unsigned char d : digits) n.digits[n.digit_count++] = d;
    return n;
}
}  // namespace

TEST(NumberRecord, DigitsAndCompletenessSuffix) {
    char buf[40];
    _PD_NUMBER n = make_number({1, 2, 11, 15}, 3);
    EXPECT_EQ(number2str(&n, buf, sizeof buf, true), buf);
    EXPECT_STREQ(buf, "12*+:FULL");
    EXPECT_STREQ(number2str(&n, buf, sizeof buf, false), "12*+");
    n.property = 7;
    EXPECT_STREQ(number2str(&n, buf, sizeof buf, true), "12*+");
    const char* suffixes[] = {":UNDEF", ":EMPTY", ":PART", ":FULL"};
    for (unsigned char p = 0; p < 4; ++p) {
        _PD_NUMBER empty = make_number({}, p);
        EXPECT_STREQ(number2str(&empty, buf, sizeof buf, true), suffixes[p]);
    }
    // Codes without a character of their own show their low four bits; bytes
    // above 15 never turn into '*', '#' or '+'.
    _PD_NUMBER odd = make_number({0, 9, 10, 13, 14, 0x1B, 0x1C, 0x1F}, 9);
    EXPECT_STREQ(number2str(&odd, buf, sizeof buf, true), "09:=>;<?");
    // The whole destination is cleared, not just the part the text covers.
    std::memset(buf, 'x', sizeof buf);
    _PD_NUMBER short_number = make_number({4, 2}, 1);
    number2str(&short_number, buf, sizeof buf, false);
    EXPECT_EQ(std::string(buf, sizeof buf), std::string("42") + std::string(38, '\0'));
}

TEST(NumberRecord, FallbackBufferWhenNoDestination) {
    char buf[8] = "keep";
    _PD_NUMBER n = make_number({1, 2, 11, 15}, 3);
    char* fallback = number2str(&n, nullptr, 40, true);
    ASSERT_NE(fallback, nullptr);
    EXPECT_STREQ(fallback, "12;?");  // no '*', '#', '+' and no suffix here
    EXPECT_EQ(number2str(&n, buf, 0, false), fallback);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(number2str(nullptr, buf, sizeof buf, true), fallback);
    EXPECT_STREQ(fallback, "");  // the earlier digits do not survive
    n.digit_count = 200;         // never past the record's 20 slots
    EXPECT_EQ(std::strlen(number2str(&n, nullptr, 0, false)), 20u);
}

TEST(NumberRecord, NeverPastRecordSlotsOrDestinationSize) {
    // A record whose count claims more digits than it holds, followed by
    // bytes that must not be read as digits.
    unsigned char raw[sizeof(_PD_NUMBER) + 16];
    std::memset(raw, 9, sizeof raw);
    _PD_NUMBER* n = reinterpret_cast<_PD_NUMBER*>(raw);
    n->property = 3;
    n->digit_count = 36;
    std::memset(n->digits, 1, sizeof n->digits);
    char buf[64];
    EXPECT_EQ(std::string(number2str(n, buf, sizeof buf, true)), std::string(20, '1') + ":FULL");

    // Short destinations: at most size - 1 characters and the NUL, suffix included.
    _PD_NUMBER m = make_number({1, 2, 11, 15}, 3);
    const struct { unsigned short size; const char* text; } cuts[] = {{11, "12*+:FULL"}, {8, "12*+:FU"}, {3, "12"}, {1, ""}};
    for (const auto& cut : cuts) {
        char small[16];
        std::memset(small, 'Z', sizeof small);
        EXPECT_STREQ(number2str(&m, small, cut.size, true), cut.text);
        EXPECT_EQ(std::string(small + cut.size, 16 - cut.size), std::string(16 - cut.size, 'Z')) << cut.size;
    }
}

TEST(NumberArray, RendersCodes) {
    char buf[16];
    unsigned char codes[] = {0, 10, 13, 14, 11, 12, 15, 0x1B};
    EXPECT_EQ(number2str(buf, sizeof buf, codes, 4), buf);
    EXPECT_STREQ(buf, "0:=>");
    EXPECT_STREQ(number2str(buf, sizeof buf, codes, 8), "0:=>*#+;");
    EXPECT_STREQ(number2str(buf, sizeof buf, codes, 0), "");
    std::memset(buf, 'x', sizeof buf);
    EXPECT_STREQ(number2str(buf, sizeof buf, nullptr, 5), "");
    EXPECT_EQ(number2str(nullptr, 16, codes, 4), nullptr);
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_STREQ(number2str(buf, 4, codes, 8), "0:=");  // cut to the given size
    EXPECT_EQ(buf[4], 'Z');
}

TEST(StrToNumber, ParsesDialledText) {
    unsigned char d[40];
    std::memset(d, 0xEE, sizeof d);
    char phone[] = "+7 (000) 123-45-67";
    ASSERT_EQ(str2number(phone, d, 20), 12u);
    const unsigned char want[] = {15, 7, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(0, std::memcmp(d, want, sizeof want));
    EXPECT_EQ(d[12], 0xEE);  // nothing written past the last code
    char buf[40];
    EXPECT_STREQ(number2str(buf, sizeof buf, d, 12), "+70001234567");

    // max counts characters examined, not codes stored.
    char dashed[] = "12-34";
    std::memset(d, 0xEE, sizeof d);
    EXPECT_EQ(str2number(dashed, d, 4), 3u);
    EXPECT_EQ(d[2], 3);
    EXPECT_EQ(d[3], 0xEE);

    // '*' and '#' too; other bytes are skipped even when their low bits look like digits.
    char keys[] = "*\xB9:a#/";
    EXPECT_EQ(str2number(keys, d, 255), 2u);
    EXPECT_EQ(0, std::memcmp(d, "\x0B\x0C", 2));

    char forty[41];
    std::memset(forty, '8', 40);
    forty[40] = '\0';
    std::memset(d, 0xEE, sizeof d);
    EXPECT_EQ(str2number(forty, d, 255), 32u);
    EXPECT_EQ(d[31], 8);
    EXPECT_EQ(d[32], 0xEE);

    char empty[] = "";
    std::memset(d, 0xEE, sizeof d);
    EXPECT_EQ(str2number(empty, d, 20) + str2number(forty, d, 0) + str2number(nullptr, d, 20), 0u);
    EXPECT_EQ(d[0], 0xEE);
    EXPECT_EQ(str2number(forty, nullptr, 20), 0u);
}

TEST(Descriptor, NamesAndBracketedText) {
    EXPECT_STREQ(get_description_by_type(4, 2), "Part ");
    EXPECT_STREQ(get_description_by_type(0, 5), "Servc");
    EXPECT_STREQ(get_description_by_type(5, 0), "");
    EXPECT_STREQ(get_description_by_type(1, 2), "");
    EXPECT_STREQ(get_description_by_type(255, 255), "");

    char buf[40];
    SABONENT_TYPE a{1, 1, 0, 1};
    EXPECT_EQ(abonenttype2str(&a, buf, sizeof buf), buf);
    EXPECT_STREQ(buf, "[Local:Rmt :PBX :Tlph_NT]");
    SABONENT_TYPE b{9, 0, 7, 2};
    EXPECT_STREQ(abonenttype2str(&b, buf, sizeof buf), "[:Lcl ::Natn_NT]");
    EXPECT_STREQ(abonenttype2str(&a, buf, 10), "[Local:Rm");
    SABONENT_TYPE longest{0, 0, 2, 0};
    EXPECT_STREQ(abonenttype2str(&longest, buf, 27), "[Undef:Lcl :DTRAN:Undf_NT]");

    // A number's address is its descriptor's address.
    _PD_NUMBER n = make_number({5}, 0);
    n.abonent_type = SABONENT_TYPE{3, 1, 1, 3};
    EXPECT_STREQ(abonenttype2str(reinterpret_cast<SABONENT_TYPE*>(&n), buf, sizeof buf), "[Natnl:Rmt :DMR :Prvt_NT]");

    char untouched[8] = "keep";
    EXPECT_STREQ(abonenttype2str(&a, untouched, 0), "[?]");
    EXPECT_STREQ(untouched, "keep");
    EXPECT_STREQ(abonenttype2str(nullptr, untouched, sizeof untouched), abonenttype2str(&a, nullptr, 40));
}

TEST(Descriptor, TablesAndCommonTable) {
    const CODE_NAME* tables[] = {NumberTypeType, NumberAbonentType, NumberFormatType, PlanNumberType,
                                 NumberPropertyType};
#define ROWS(t) (sizeof(t) / sizeof((t)[0]))
    const std::size_t rows[] = {ROWS(NumberTypeType), ROWS(NumberAbonentType), ROWS(NumberFormatType),
                                ROWS(PlanNumberType), ROWS(NumberPropertyType)};
    const std::size_t want_rows[] = {6, 2, 3, 4, 4};
    ASSERT_EQ(ROWS(CommonDescriptionTable), 5u);
#undef ROWS
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(rows[k], want_rows[k]) << "kind " << k;
        EXPECT_EQ(CommonDescriptionTable[k].table, tables[k]) << "kind " << k;
        EXPECT_EQ(CommonDescriptionTable[k].count, rows[k]) << "kind " << k;
        EXPECT_STREQ(CommonDescriptionTable[k].default_text, "") << "kind " << k;
        for (std::size_t i = 0; i < rows[k]; ++i) EXPECT_EQ(tables[k][i].code, i) << "kind " << k;
    }
}

TEST(Workspace, NumberFallbackGoesToCallersWorkspace) {
    _PD_NUMBER n = make_number({7, 7}, 0);
    char* shared = number2str(&n, nullptr, 0, false);
    ASSERT_STREQ(shared, "77");
    auto ws = std::make_unique<paketlog::Workspace>();
    _PD_NUMBER m = make_number({3, 1, 4}, 0);
    EXPECT_EQ(number2str(*ws, &m, nullptr, 0, true), ws->number_fallback_text);
    EXPECT_STREQ(ws->number_fallback_text, "314");
    EXPECT_STREQ(shared, "77");
}
