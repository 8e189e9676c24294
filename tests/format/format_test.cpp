// Renderers at their limits, cuts and fallbacks (ordinary texts are in the golden
// corpus): numbers, dialled text, descriptors, IPv4, RTP, connection names, causes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "paketlog.h"

namespace {
using Render = std::function<char*(char*, unsigned short)>;
Render number(_PD_NUMBER* n) { return [=](char* dst, unsigned short size) { return number2str(n, dst, size, true); }; }
Render codes(unsigned char* d) { return [=](char* dst, unsigned short size) { return number2str(dst, size, d, 8); }; }
Render desc(SABONENT_TYPE* a) { return [=](char* dst, unsigned short size) { return abonenttype2str(a, dst, size); }; }
Render ip(unsigned addr) { return [=](char* dst, unsigned short size) { return ip2str(addr, dst, size); }; }
Render rtp(const std::string& address, unsigned char send, unsigned char recv) {
    RTP_EXCH::sRTPExchParam r{};
    std::memcpy(r.address, address.data(), address.size());
    r.port = 0x0101;  // 257 whatever the byte order
    r.send_flag = send, r.recv_flag = recv;
    return [=](char* dst, unsigned short size) { return rtp_exch_param2str(r, dst, size); };
}
}  // namespace

// The text cut at size - 1 characters, zeros up to size, nothing written past it.
TEST(Renderers, TextsCutAtSizeClearTheRestAndWriteNoFurther) {
    _PD_NUMBER n{{}, 0, 3, 4, {1, 2, 11, 15}};
    _PD_NUMBER unknown_property{{}, 0, 4, 4, {1, 2, 11, 15}};  // 4: the first property without a suffix
    struct { _PD_NUMBER n; unsigned char after[20]; } big;
    std::memset(&big, 1, sizeof big);  // a count one past the slots, digits after them
    big.n.property = 3, big.n.digit_count = 21;
    unsigned char digits[] = {0, 10, 13, 14, 11, 12, 15, 0x1B};
    SABONENT_TYPE a{1, 1, 0, 1};
    const std::string h(70, 'h');
    const struct { Render render; unsigned short size; std::string text; } cases[] = {
        {number(&big.n), 64, std::string(20, '1') + ":FULL"},  // twenty slots at most
        {number(&n), 16, "12*+:FULL"}, {number(&n), 8, "12*+:FU"}, {number(&n), 3, "12"},
        {number(&unknown_property), 16, "12*+"},
        {codes(digits), 16, "0:=>*#+;"}, {codes(digits), 4, "0:="}, {codes(digits), 0, ""},  // size 0: nothing written
        {desc(&a), 10, "[Local:Rm"},
        {ip(0x04030201), 16, "1.2.3.4"},  // least significant byte first
        {ip(0xFFFFFFFF), 8, "255.255"},
        {rtp("a", 0, 7), 64, "IP:Port=a:257(r-)"},  // the flag at offset 148 first
        {rtp(h, 1, 1), 100, "IP:Port=" + h.substr(0, 63)},  // the endpoint 63 characters at most
        {rtp("10.0.0.5", 1, 1), 12, "IP:Port=10."}, {rtp("10.0.0.5", 1, 1), 9, "IP:Port="},
        {rtp("10.0.0.5", 1, 1), 8, "IP:Port"},      {rtp("10.0.0.5", 1, 1), 0, ""},
    };
    char buf[128];
    for (const auto& c : cases) {
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(c.render(buf, c.size), buf) << c.text;
        EXPECT_EQ(std::string(buf, c.size + 1u), c.text + std::string(c.size - c.text.size(), '\0') + "Z");
    }
}

TEST(Renderers, MissingInputAndFallbackTexts) {
    auto ws = std::make_unique<paketlog::Workspace>();  // number record, no destination: the fallback text
    _PD_NUMBER n{{}, 0, 3, 4, {1, 2, 11, 15}};
    char buf[40] = "keep";
    char* fallback = ws->number_fallback_text;
    EXPECT_EQ(number2str(*ws, &n, nullptr, 40, true), fallback);
    EXPECT_STREQ(fallback, "12;?");  // low four bits only, no suffix
    EXPECT_EQ(number2str(*ws, nullptr, buf, sizeof buf, true), fallback);
    EXPECT_EQ(std::string(fallback, 40), std::string(40, '\0'));
    n.digit_count = 21;  // one past the slots
    EXPECT_EQ(number2str(*ws, &n, buf, 0, false), fallback);
    EXPECT_EQ(std::strlen(fallback), 20u);
    EXPECT_EQ(number2str(nullptr, 16, n.digits, 4), nullptr);  // digit codes
    char empty[8] = "x";
    EXPECT_STREQ(number2str(empty, sizeof empty, nullptr, 5), "");
    SABONENT_TYPE a{1, 1, 0, 1};  // descriptor
    EXPECT_STREQ(abonenttype2str(&a, buf, 0), "[?]");
    EXPECT_STREQ(abonenttype2str(nullptr, buf, sizeof buf), "[?]");
    EXPECT_STREQ(abonenttype2str(&a, nullptr, 40), "[?]");
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(rtp("a", 0, 0)(nullptr, 64), nullptr);  // RTP and IPv4; no buffer or size 0: the workspace's text
    EXPECT_EQ(ip2str(*ws, 0xFFFFFFFF, nullptr, 16), ws->ip_text);
    EXPECT_EQ(ip2str(*ws, 0x0100007F, buf, 0), ws->ip_text);
    EXPECT_STREQ(ws->ip_text, "127.0.0.1");
}

TEST(StrToNumber, LimitsAndSkippedCharacters) {
    const std::string forty(40, '8');
    const struct { const char* text; unsigned char max; std::string codes; } cases[] = {  // codes as rendered
        {"+7 (000) 123-45-67", 20, "+70001234567"},
        {"12-34", 4, "123"},        // max counts characters examined, not codes stored
        {"*\xB9:a#/", 255, "*#"},  // bytes whose low bits look like digits are skipped
        {forty.c_str(), 255, std::string(32, '8')},
    };
    for (const auto& c : cases) {
        unsigned char d[40];
        std::memset(d, 0xEE, sizeof d);
        const unsigned n = str2number(const_cast<char*>(c.text), d, c.max);
        char text[40];
        EXPECT_EQ(number2str(text, sizeof text, d, static_cast<unsigned char>(n)), c.codes) << c.text;
        EXPECT_EQ(d[n], 0xEE) << c.text;
    }
    unsigned char d[4];
    EXPECT_EQ(str2number(nullptr, d, 20), 0u);
    EXPECT_EQ(str2number(const_cast<char*>("1"), nullptr, 20), 0u);
}

// The texts themselves, in their separate buffers, are in the corpus.
TEST(ConnectNames, UnlistedCodesReuseTheirBufferWorkspacesHaveTheirOwn) {
    const char* type = get_connect_type(9, false);
    EXPECT_EQ(get_connect_type(0xAB, true), type);  // a second miss reuses the buffer
    get_connect_type(1, false);                     // a hit leaves it alone
    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(get_connect_type(*ws, 0x31, true), ws->connect_type_text);
    EXPECT_EQ(get_connect_source(*ws, 0x32, false), ws->connect_source_text);
    EXPECT_STREQ(type, "Unknown(0xAB)");
}

TEST(Cause, NullRecordClearsOnlyItsOwnText) {
    _PD_CAUSE cause{1, 2, 3, 4};
    char *op = cause2str(&cause), *tc = cause2strTC(&cause);
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
