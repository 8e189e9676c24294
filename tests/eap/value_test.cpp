// One additional parameter: type names, every type's text, the hex dump, and
// the static texts a parameter overwrites.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "params.h"

using namespace eap_test;

namespace {
// get_eap_value into a buffer pre-filled with '#'; the text and the result.
std::pair<std::string, int> render(Bytes p, int size = 6208) {
    std::string buf(6300, '#');
    const int r = get_eap_value(&buf[0], size, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(p.data()));
    return {buf.c_str(), r};
}
std::string value_text(const Bytes& p, int size = 6208) { return render(p, size).first; }
}  // namespace

TEST(EapNames, TableAndLookup) {
    for (unsigned i = 0; i < 21; ++i) {
        EXPECT_EQ(unsigned{AddParamPakets[i].code}, 160 + i);
        EXPECT_EQ(get_name_add_param(static_cast<unsigned char>(160 + i)), AddParamPakets[i].name);
    }
    EXPECT_STREQ(get_name_add_param(160), "ENDPOINT_A");
    EXPECT_STREQ(get_name_add_param(166), "ANOTHER_ABONENT_PARAM");
    EXPECT_STREQ(get_name_add_param(180), "UNKNOWN");
    for (unsigned char missing : {0, 12, 159, 181, 255}) EXPECT_EQ(get_name_add_param(missing), nullptr);
}

TEST(EapValue, EveryTypeRendersItsText) {
    const struct {
        Bytes param;
        const char* text;
    } cases[] = {
        {text(160, "ep-a"), "ENDPOINT_A=ep-a; "},
        {text(161, "ep-b"), "ENDPOINT_B=ep-b; "},
        {param(162, {7}), "BUTTON=7; "},
        {param(162, {255}), "BUTTON=255; "},
        {text(163, "Petrov"), "NAME_CALL=Petrov; "},
        {param(165, {200}), "DMR_PRIORITY=200; "},
        {text(167, "mg-17"), "MGCP_SEANCE=mg-17; "},
        {rtp(4000000000u, 65535, "10.0.0.5", 5004, 1, 0),
         "RTP_PARAM: ID=4000000000 Dstn=65535 IP:Port=10.0.0.5:5004(-s); "},
        {rtp(1, 2, "10.0.0.6", 0, 0, 9), "RTP_PARAM: ID=1 Dstn=2 IP:Port=10.0.0.6:0(r-); "},
        {param(169, u32s({0xFFFFFFFFu})), "EDSS_ID_CALL=4294967295; "},
        {text(170, ""), "ENDPOINT_C=; "},
        {param(171, u32s({123456})), "SESSION_LIST=123456; "},
        {param(172, u32s({640, 480})), "CAMERA_PROP=640:480; "},
        {param(173, {0x01, 0xAB, 0xFF}), "BINARY_DATA=01 ab ff "},
        {param(173, {}), "BINARY_DATA="},
        {video("10.0.0.7", 6000, 96, "H264"), "VIDEO_PARAM=IP4 10.0.0.7 6000 codecs: 96 H264"},
        {hide({1, 1, 0, 1}, 200, {1, 2, 11, 15}), "HIDE_PARAM=12*+ Ka=200 [Local:Rmt :PBX :Tlph_NT]; "},
        {hide({9, 0, 7, 2}, 0, {}), "HIDE_PARAM= Ka=0 [:Lcl ::Natn_NT]; "},
        {text(176, "anon"), "HIDE_NAME=anon; "},
        {param(177, {2}), "ENDPOINT_TYPE=SIP TERM; "},
        {text(178, "+7495"), "REDIRECT_NUMBER=+7495; "},
        {text(179, "video"), "ADDCAPABILITY=video; "},
    };
    for (const auto& c : cases) EXPECT_EQ(render(c.param), std::make_pair(std::string(c.text), 1));
}

TEST(EapValue, SilentTypesAndUnknownTypes) {
    // 164, 166, 180: known, result 1, and not one byte of dst is written.
    for (unsigned char type : {164, 166, 180}) {
        Bytes p = param(type, {'x', 'y', 0});
        char buf[16] = "earlier text";
        const char before[16] = "earlier text";
        EXPECT_EQ(get_eap_value(buf, sizeof buf, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(p.data())), 1);
        EXPECT_EQ(std::memcmp(buf, before, sizeof buf), 0) << int{type};
    }
    EXPECT_EQ(render(param(12, Bytes(9, 'z'))), std::make_pair(std::string("Unknown add param:Type=0x0C Len=9"), 0));
    EXPECT_EQ(render(param(0x55, {1, 2, 3})), std::make_pair(std::string("Unknown add param:Type=0x55 Len=3"), 0));
    EXPECT_EQ(render(param(181, {}, 0)).second, 0);
    // The unknown text never looks at the value, not even one of 65535 bytes.
    at_end(param(0xFE, {}, 65535), [](unsigned char* p) {
        char buf[64];
        EXPECT_EQ(get_eap_value(buf, sizeof buf, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(p)), 0);
        EXPECT_STREQ(buf, "Unknown add param:Type=0xFE Len=65535");
    });
}

TEST(EapValue, EndpointTypeWords) {
    const std::pair<unsigned char, const char*> words[] = {
        {1, "ANALOG PORT"},  {2, "SIP TERM"},    {3, "ISDN TERM"},     {4, "IP_ISDN TERM"},  {0x81, "ANALOG SL"},
        {0x82, "SIP SL"},    {0x83, "E1 SL"},    {0x84, "IP ISDN SL"}, {0x85, "SAT-R SL"},   {0x86, "SAT-L SL"},
        {0xC2, "DISP_CIRCLE"}, {0xC3, "CALL_CENTRE"}, {0xC4, "CIRCULAR_CALL"}, {0, "UNKNOWN"}, {5, "UNKNOWN"},
        {0x80, "UNKNOWN"},   {0x87, "UNKNOWN"},  {0xC1, "UNKNOWN"},    {0xC5, "UNKNOWN"},    {0xFF, "UNKNOWN"},
    };
    for (const auto& w : words)
        EXPECT_EQ(value_text(param(177, {w.first})), std::string("ENDPOINT_TYPE=") + w.second + "; ") << int{w.first};
}

TEST(EapValue, LengthFieldAndDestinationSize) {
    // Fixed layouts ignore surplus value bytes; texts stop at their NUL.
    EXPECT_EQ(value_text(param(162, {7, 8, 9})), "BUTTON=7; ");
    EXPECT_EQ(value_text(param(160, {'a', 'b', 0, 'c', 'd', 0})), "ENDPOINT_A=ab; ");
    // A text is cut by the size, the result stays 1.
    EXPECT_EQ(render(text(163, "Petrov"), 13), std::make_pair(std::string("NAME_CALL=Pe"), 1));
    const std::string long_text(7000, 'w');
    EXPECT_EQ(value_text(text(160, long_text)), "ENDPOINT_A=" + long_text.substr(0, 6196));
    EXPECT_EQ(value_text(param(160, Bytes(long_text.begin(), long_text.end()))),  // and without its NUL
              "ENDPOINT_A=" + long_text.substr(0, 6196));
    // BINARY_DATA: the dump gets what the "NAME=" prefix leaves, under its own stop rule.
    const Bytes three = {0x01, 0x02, 0x03};
    EXPECT_EQ(value_text(param(173, three), 12), "BINARY_DATA");
    EXPECT_EQ(value_text(param(173, three), 16), "BINARY_DATA=");
    EXPECT_EQ(value_text(param(173, three), 17), "BINARY_DATA=01 ");
    // With the size the block walk passes, at most the first 2064 bytes are dumped.
    const std::string dump = value_text(param(173, Bytes(3000, 0x5C)));
    EXPECT_EQ(dump.size(), 12u + 2064 * 3);
    EXPECT_EQ(dump.substr(dump.size() - 6), "5c 5c ");
}

TEST(EapValue, ShortValuesAreNotReadPastTheirLength) {
    const struct {
        Bytes param;
        const char* text;
    } cases[] = {
        {param(162, {}), "BUTTON=[too short: Len=0, needs 1]; "},
        {param(165, {}), "DMR_PRIORITY=[too short: Len=0, needs 1]; "},
        {param(169, {1, 2, 3}), "EDSS_ID_CALL=[too short: Len=3, needs 4]; "},
        {param(171, {1, 2, 3}), "SESSION_LIST=[too short: Len=3, needs 4]; "},
        {param(172, Bytes(7, 1)), "CAMERA_PROP=[too short: Len=7, needs 8]; "},
        {param(168, Bytes(154, 1)), "RTP_PARAM=[too short: Len=154, needs 155]; "},
        {param(174, Bytes(325, 1)), "VIDEO_PARAM=[too short: Len=325, needs 326]; "},
        {param(175, Bytes(26, 1)), "HIDE_PARAM=[too short: Len=26, needs 27]; "},
        {param(177, {}), "ENDPOINT_TYPE=[too short: Len=0, needs 1]; "},
        {param(161, {'a', 'b', 'c'}), "ENDPOINT_B=abc; "},  // no NUL inside the value
        {param(173, {0x10, 0x20}), "BINARY_DATA=10 20 "},
    };
    for (const auto& c : cases) {
        at_end(c.param, [&](unsigned char* p) {
            char buf[6208];
            EXPECT_EQ(get_eap_value(buf, sizeof buf, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(p)), 1);
            EXPECT_STREQ(buf, c.text);
        });
    }
}

TEST(EapDump, StopRule) {
    const unsigned char five[] = {0x01, 0x02, 0xAB, 0x04, 0x05};
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(dump2str(buf, 10, five, 5), 6);  // 3 bytes and the NUL would fit, 2 are dumped
    EXPECT_EQ(std::string(buf, 8), std::string("01 02 \0#", 8));
    EXPECT_EQ(dump2str(buf, 11, five, 5), 9);
    EXPECT_STREQ(buf, "01 02 ab ");
    EXPECT_EQ(dump2str(buf, 32, five, 5), 15);
    EXPECT_STREQ(buf, "01 02 ab 04 05 ");
    // Nothing at all, not even a NUL: size 4 or less, negative size, no bytes.
    for (int size : {4, 1, 0, -1, -100}) {
        std::memset(buf, '#', sizeof buf);
        EXPECT_EQ(dump2str(buf, size, five, 5), 0);
        EXPECT_EQ(buf[0], '#');
    }
    EXPECT_EQ(dump2str(buf, 32, five, 0), 0);
    EXPECT_EQ(buf[0], '#');
    EXPECT_EQ(dump2str(buf, 5, five, 5), 3);
    EXPECT_STREQ(buf, "01 ");
}

TEST(EapValue, OverwritesSharedTexts) {
    // RTP_PARAM renders through the RTP text that rtp_exch_param2str returns.
    const Bytes first = rtp(1, 1, "10.1.1.1", 1000, 1, 1);
    const char* rtp_text = rtp_exch_param2str(*reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(&first[4 + 6]));
    ASSERT_STREQ(rtp_text, "IP:Port=10.1.1.1:1000(rs)");
    value_text(rtp(2, 2, "10.2.2.2", 2000, 0, 0));
    EXPECT_STREQ(rtp_text, "IP:Port=10.2.2.2:2000(--)");

    // HIDE_PARAM renders through the calling number's two texts.
    auto ws = std::make_unique<paketlog::Workspace>();
    std::strcpy(ws->number_text_a, "555");
    std::strcpy(ws->type_text_a, "[old]");
    char buf[128];
    Bytes p = hide({3, 0, 1, 2}, 7, {9, 8, 12});
    EXPECT_EQ(get_eap_value(*ws, buf, sizeof buf, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(p.data())), 1);
    EXPECT_STREQ(buf, "HIDE_PARAM=98# Ka=7 [Natnl:Lcl :DMR :Natn_NT]; ");
    EXPECT_STREQ(ws->number_text_a, "98#");
    EXPECT_STREQ(ws->type_text_a, "[Natnl:Lcl :DMR :Natn_NT]");
    p = rtp(3, 3, "10.3.3.3", 3000, 1, 0);
    get_eap_value(*ws, buf, sizeof buf, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(p.data()));
    EXPECT_STREQ(ws->rtp_text, "IP:Port=10.3.3.3:3000(-s)");
    EXPECT_STREQ(rtp_text, "IP:Port=10.2.2.2:2000(--)");  // the library's own text is not touched
}
