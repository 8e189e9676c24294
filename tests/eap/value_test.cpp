// One additional parameter at its limits: what it writes, what it reads, and
// the shared texts it renders through. Ordinary texts are in the golden corpus.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "params.h"

using namespace eap_test;

TEST(EapValue, SilentTypesWriteNothingUnknownTypesReadNoValue) {
    for (unsigned char type : {164, 166, 180}) {
        Bytes p = param(type, {'x', 'y', 0});
        char buf[16] = "earlier text";
        EXPECT_EQ(get_eap_value(buf, sizeof buf, header(p.data())), 1);
        EXPECT_EQ(std::string(buf, sizeof buf), std::string("earlier text\0\0\0\0", 16)) << int{type};
    }
    at_end(param(0xFE, {}, 4096), [](unsigned char* p) {  // no value byte there to read
        char buf[64];
        EXPECT_EQ(get_eap_value(buf, sizeof buf, header(p)), 0);
        EXPECT_STREQ(buf, "Unknown add param:Type=0xFE Len=4096");
    });
}

TEST(EapValue, BinaryDataPrefixSharesTheSizeTextWithoutNulIsBounded) {
    const Bytes three = {0x01, 0x02, 0x03};
    const std::string w(7000, 'w');
    const struct { Bytes param; int size; std::string text; } cases[] = {
        {param(173, three), 12, "BINARY_DATA"},
        {param(173, three), 16, "BINARY_DATA="},
        {param(173, three), 17, "BINARY_DATA=01 "},
        {param(160, Bytes(w.begin(), w.end())), 6208, "ENDPOINT_A=" + w.substr(0, 6196)},
    };
    for (const auto& c : cases) {
        std::string buf(6300, '#');
        EXPECT_EQ(get_eap_value(&buf[0], c.size, header(c.param.data())), 1);
        EXPECT_EQ(std::string(buf.c_str()), c.text) << c.size;
        EXPECT_EQ(buf[c.size], '#') << c.size;
    }
    for (int size : {4, 0, -1}) {  // the dump alone, without room for a byte and the NUL: nothing at all
        char buf[8] = "#######";
        EXPECT_EQ(dump2str(buf, size, three.data(), 3), 0);
        EXPECT_STREQ(buf, "#######");
    }
}

TEST(EapValue, ValuesAreReadOnlyWithinTheirLengthAndFieldWidths) {
    const struct { Bytes param; std::string text; } cases[] = {
        {param(162, {}), "BUTTON=[too short: Len=0, needs 1]; "},
        {param(169, {1, 2, 3}), "EDSS_ID_CALL=[too short: Len=3, needs 4]; "},
        {param(172, Bytes(7, 1)), "CAMERA_PROP=[too short: Len=7, needs 8]; "},
        {param(168, Bytes(154, 1)), "RTP_PARAM=[too short: Len=154, needs 155]; "},
        {param(174, Bytes(325, 1)), "VIDEO_PARAM=[too short: Len=325, needs 326]; "},
        {param(175, Bytes(26, 1)), "HIDE_PARAM=[too short: Len=26, needs 27]; "},
        {param(177, {}), "ENDPOINT_TYPE=[too short: Len=0, needs 1]; "},
        {param(161, {'a', 'b', 'c'}), "ENDPOINT_B=abc; "},  // no NUL inside the value
        {param(173, {0x10, 0x20}), "BINARY_DATA=10 20 "},
        // Media texts without their NUL: read to their field widths only.
        {param(168, Bytes(155, 'a')), "RTP_PARAM: ID=1633771873 Dstn=24929 IP:Port=" + std::string(63, 'a') + "; "},
        {param(174, Bytes(326, 'n')), "VIDEO_PARAM=IP4 " + std::string(120, 'n') + " 28270 codecs: 110 " +
                                          std::string(100, 'n') + "110 " + std::string(100, 'n')},
    };
    for (const auto& c : cases) {
        at_end(c.param, [&](unsigned char* p) {
            char buf[6208];
            EXPECT_EQ(get_eap_value(buf, sizeof buf, header(p)), 1);
            EXPECT_EQ(std::string(buf), c.text);
        });
    }
}

TEST(EapValue, HideAndRtpOverwriteTheSharedTexts) {
    auto ws = std::make_unique<paketlog::Workspace>();
    std::strcpy(ws->number_text_a, "555");
    Bytes hide = param(175, Bytes(27)), rtp_param = rtp(3, "10.3.3.3");
    char buf[128];
    get_eap_value(*ws, buf, sizeof buf, header(hide.data()));
    get_eap_value(*ws, buf, sizeof buf, header(rtp_param.data()));
    EXPECT_STREQ(ws->number_text_a, "");
    EXPECT_STREQ(ws->type_text_a, "[Undef:Lcl :PBX :Undf_NT]");
    EXPECT_STREQ(ws->rtp_text, "IP:Port=10.3.3.3:0(--)");
}
