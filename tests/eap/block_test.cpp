// The additional-parameter block: walk, cap, skip, fit rule, position wrap,
// the length-aware form and its cut mark, allocation, workspaces.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "alloc_counter.h"
#include "params.h"

using namespace eap_test;

namespace {
const std::string kCut = "[|eap]";

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Twelve parameters, none of them VIDEO_PARAM (its text is a temporary string), and their block text.
Block twelve() {
    return Block{text(160, "ep-a"), text(161, "ep-b"), param(162, {3}), text(163, "Petrov"), param(165, {4}),
                 text(167, "mg"), rtp(5, 6, "10.0.0.5", 5004, 1, 1), param(169, u32s({77})), param(171, u32s({88})),
                 param(172, u32s({1, 2})), param(173, {0xDE, 0xAD}), hide({1, 0, 0, 1}, 10, {5, 0})};
}
const char kTwelveText[] =
    "ENDPOINT_A=ep-a; ENDPOINT_B=ep-b; BUTTON=3; NAME_CALL=Petrov; DMR_PRIORITY=4; MGCP_SEANCE=mg; "
    "RTP_PARAM: ID=5 Dstn=6 IP:Port=10.0.0.5:5004(rs); EDSS_ID_CALL=77; SESSION_LIST=88; CAMERA_PROP=1:2; "
    "BINARY_DATA=de ad HIDE_PARAM=50 Ka=10 [Local:Lcl :PBX :Tlph_NT]; ";

// Two parameters whose texts are 6200 characters each: 12400 in the block.
Block nearly_full() {
    return Block{text(160, std::string(6187, 'a')), text(161, std::string(6187, 'b'))};
}
}  // namespace

TEST(EapBlock, NoBlockAndEmptyBlocks) {
    Block b{param(162, {7})};
    for (std::size_t i = 0; i < 10; ++i) b.bytes[i] = 1;  // would read as blocks at offsets 1 to 9
    for (unsigned short offset = 0; offset < 10; ++offset) EXPECT_STREQ(decode_eap(b.bytes.data(), offset, 0), "");
    EXPECT_EQ(b.decode(), "BUTTON=7; ");
    EXPECT_EQ(b.decode(162), "");  // everything left out
    EXPECT_EQ(Block{}.decode(), "");
    // Each call starts from empty and returns the same text buffer.
    char* first = decode_eap(b.bytes.data(), 10, 0);
    char* second = decode_eap(b.bytes.data(), 0, 0);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(second, "");
}

TEST(EapBlock, TextsFollowEachOtherWithTheirOwnSeparators) {
    EXPECT_EQ((Block{video("10.0.0.7", 6000, 96, "H264"), param(162, {7})}.decode()),
              "VIDEO_PARAM=IP4 10.0.0.7 6000 codecs: 96 H264BUTTON=7; ");
    EXPECT_EQ((Block{param(173, {0x01}), param(173, {}), param(162, {7})}.decode()),
              "BINARY_DATA=01 BINARY_DATA=BUTTON=7; ");
    EXPECT_EQ((Block{param(0x55, {1, 2, 3}), param(162, {7})}.decode()),
              "Unknown add param:Type=0x55 Len=3BUTTON=7; ");
    // 164, 166 and 180 add nothing, and never repeat an earlier text.
    EXPECT_EQ((Block{param(162, {7}), param(164, {1}), param(166, {}), param(180, {1, 2})}.decode()), "BUTTON=7; ");
    EXPECT_EQ((Block{param(180, {}), text(160, "x"), param(166, {})}.decode()), "ENDPOINT_A=x; ");
    EXPECT_EQ((Block{param(164, {})}.decode()), "");
    EXPECT_EQ(twelve().decode(), kTwelveText);
}

TEST(EapBlock, TwelveParametersAtMostSkippedOnesIncluded) {
    Block b;
    for (unsigned i = 0; i < 13; ++i) b.add(param(165, {static_cast<unsigned char>(i)}));
    std::string first_twelve;
    for (unsigned i = 0; i < 12; ++i) first_twelve += "DMR_PRIORITY=" + std::to_string(i) + "; ";
    EXPECT_EQ(b.decode(), first_twelve);
    b.bytes[10] = 200;
    EXPECT_EQ(b.decode(), first_twelve);

    EXPECT_EQ((Block{text(160, "a"), param(162, {2}), text(161, "b")}.decode(160)), "BUTTON=2; ENDPOINT_B=b; ");
    // Thirteen parameters, the first left out: still only the first twelve are visited.
    Block skipped{text(160, "a")};
    for (unsigned i = 1; i < 13; ++i) skipped.add(param(165, {static_cast<unsigned char>(i)}));
    EXPECT_EQ(skipped.decode(160), first_twelve.substr(std::string("DMR_PRIORITY=0; ").size()));
}

TEST(EapBlock, TextThatDoesNotFitIsDroppedWholeAndTheWalkGoesOn) {
    const std::string a = "ENDPOINT_A=" + std::string(6187, 'a') + "; ";
    const std::string b = "ENDPOINT_B=" + std::string(6187, 'b') + "; ";
    ASSERT_EQ((a + b).size(), 12400u);
    // 16 characters would make 12416: dropped; the 15 after it fit (12415).
    Block block = nearly_full();
    block.add(text(176, "abcd")).add(text(176, "abc")).add(param(162, {7}));
    EXPECT_EQ(block.decode(), a + b + "HIDE_NAME=abc; ");
    EXPECT_EQ(nearly_full().add(text(176, "abcd")).decode(), a + b);
    // The length-aware form keeps its mark visible on a full text.
    Block cut = nearly_full();
    cut.add(text(176, "abc")).add(text(176, "z"));
    const std::string marked = cut.decode_within(static_cast<unsigned short>(cut.bytes.size() - 1));
    EXPECT_TRUE(ends_with(marked, kCut));
    EXPECT_LE(marked.size(), 12415u);
}

TEST(EapBlock, PositionsWrapAt64KiB) {
    // Second header at (11 + 4 + 65523) mod 65536 = 2, not at 65538.
    Bytes big(65538);
    big[10] = 2;
    const Bytes first = param(0x55, {}, 65523);
    std::copy(first.begin(), first.end(), big.begin() + 11);
    const Bytes button = param(162, {7});
    std::copy(button.begin(), button.end(), big.begin() + 2);
    const Bytes decoy = text(161, "nowrap");
    big.insert(big.end(), decoy.begin(), decoy.end());
    EXPECT_STREQ(decode_eap(big.data(), 10, 0), "Unknown add param:Type=0x55 Len=65523BUTTON=7; ");
    EXPECT_EQ(decode_eap(big.data(), 65535, 10, 0), kCut);

    // A block at 65535 has its first parameter at position 0.
    Bytes top(65536);
    top[65535] = 1;
    const Bytes nine = param(162, {9});
    std::copy(nine.begin(), nine.end(), top.begin());
    EXPECT_STREQ(decode_eap(top.data(), 65535, 0), "BUTTON=9; ");
}

TEST(EapBlockLengthAware, BlockWithinLengthRendersAsTheTrustingForm) {
    Block capped;
    for (unsigned i = 0; i < 12; ++i) capped.add(param(162, {static_cast<unsigned char>(i)}));
    capped.bytes[10] = 200;  // the 13th parameter is never visited, so nothing is cut
    Block blocks[] = {twelve(), capped, Block{}, nearly_full().add(text(176, "abcd")).add(text(176, "abc")),
                      Block{video("10.0.0.7", 6000, 96, "H264"), param(180, {}), param(0x55, {1})}};
    for (Block& b : blocks) {
        const std::string whole = b.decode(160);
        EXPECT_FALSE(ends_with(whole, kCut));
        EXPECT_EQ(b.decode_within(static_cast<unsigned short>(b.bytes.size()), 160), whole);
        b.bytes.insert(b.bytes.end(), 9, 0xEE);
        EXPECT_EQ(b.decode_within(static_cast<unsigned short>(b.bytes.size()), 160), whole);
    }
    // No block is no block, whatever the length.
    EXPECT_STREQ(decode_eap(twelve().bytes.data(), 0, 0, 0), "");
    EXPECT_STREQ(decode_eap(twelve().bytes.data(), 5, 9, 0), "");
}

TEST(EapBlockLengthAware, CutBlockEndsInMark) {
    Block one{param(162, {7})};  // 16 bytes: count at 10, header 11-14, value 15
    EXPECT_EQ(one.decode_within(10), kCut);  // count byte outside
    EXPECT_EQ(one.decode_within(11), kCut);  // header outside
    EXPECT_EQ(one.decode_within(14), kCut);  // header partly outside
    EXPECT_EQ(one.decode_within(15), kCut);  // value outside
    EXPECT_EQ(one.decode_within(16), "BUTTON=7; ");
    Block two{param(162, {7}), text(160, "xy")};
    EXPECT_EQ(two.decode_within(static_cast<unsigned short>(two.bytes.size() - 1)), "BUTTON=7; " + kCut);
    two.bytes[10] = 3;  // announces a third parameter that is not there
    EXPECT_EQ(two.decode_within(static_cast<unsigned short>(two.bytes.size())), "BUTTON=7; ENDPOINT_A=xy; " + kCut);
}

TEST(EapBlockLengthAware, NeverReadsAtOrPastLength) {
    // Every prefix of a block, placed at the very end of its memory.
    Block b{param(174, {}),      video("10.0.0.7", 6000, 96, "H264"),
            text(160, "ep"),     rtp(1, 2, "10.0.0.1", 5, 1, 0),
            param(173, {1, 2}),  hide({1, 1, 0, 1}, 3, {1, 2}),
            param(0x55, {1, 2}), param(164, {9}),
            param(177, {3}),     param(172, u32s({1, 2})),
            param(161, {'a', 'b'})};  // a text without its NUL, ending the packet
    const std::string whole = b.decode();
    for (std::size_t n = 0; n <= b.bytes.size(); ++n) {
        at_end(Bytes(b.bytes.begin(), b.bytes.begin() + static_cast<std::ptrdiff_t>(n)), [&](unsigned char* p) {
            const std::string got = decode_eap(p, static_cast<unsigned short>(n), 10, 0);
            if (n == b.bytes.size()) EXPECT_EQ(got, whole);
            else EXPECT_TRUE(ends_with(got, kCut)) << n;
        });
    }
    EXPECT_TRUE(ends_with(whole, "ENDPOINT_TYPE=ISDN TERM; CAMERA_PROP=1:2; ENDPOINT_B=ab; ")) << whole;
}

TEST(EapBlock, TwelveParametersAllocateNothing) {
    // A video text is a temporary string: proof that the counter sees the
    // library's allocations (a tool that replaces operator new hides them).
    Block v{video("10.0.0.7", 6000, 96, "H264")};
    if (testing_support::allocations_during([&] { decode_eap(v.bytes.data(), 10, 0); }) == 0)
        GTEST_SKIP() << "operator new is not counted in this run";
    Block b = twelve();
    const char* text = nullptr;
    EXPECT_EQ(testing_support::allocations_during([&] { text = decode_eap(b.bytes.data(), 10, 0); }), 0u);
    EXPECT_STREQ(text, kTwelveText);
    const auto length = static_cast<unsigned short>(b.bytes.size());
    EXPECT_EQ(testing_support::allocations_during([&] { text = decode_eap(b.bytes.data(), length, 10, 0); }), 0u);
    EXPECT_STREQ(text, kTwelveText);
}

TEST(EapWorkspace, WorkspacesAndTheLibraryTextAreIndependent) {
    auto ws1 = std::make_unique<paketlog::Workspace>();
    auto ws2 = std::make_unique<paketlog::Workspace>();
    Block a{text(160, "one")}, b{rtp(1, 2, "10.9.9.9", 9, 0, 0)}, c{text(176, "legacy")};
    const Bytes blank(sizeof(RTP_EXCH::sRTPExchParam));
    const char* rtp_text = rtp_exch_param2str(*reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(blank.data()));
    const char* legacy = decode_eap(c.bytes.data(), 10, 0);
    EXPECT_EQ(decode_eap(*ws1, a.bytes.data(), 10, 0), ws1->block_text);
    EXPECT_EQ(decode_eap(*ws2, b.bytes.data(), static_cast<unsigned short>(b.bytes.size()), 10, 0), ws2->block_text);
    EXPECT_STREQ(ws1->block_text, "ENDPOINT_A=one; ");
    EXPECT_STREQ(ws2->block_text, "RTP_PARAM: ID=1 Dstn=2 IP:Port=10.9.9.9:9(--); ");
    EXPECT_STREQ(ws2->rtp_text, "IP:Port=10.9.9.9:9(--)");
    EXPECT_STREQ(ws1->rtp_text, "");
    EXPECT_STREQ(legacy, "HIDE_NAME=legacy; ");
    EXPECT_STREQ(rtp_text, "IP:Port=:0(--)");
    decode_eap(a.bytes.data(), 0, 0);
    EXPECT_STREQ(legacy, "");
    EXPECT_STREQ(ws1->block_text, "ENDPOINT_A=one; ");
    EXPECT_STREQ(ws2->block_text, "RTP_PARAM: ID=1 Dstn=2 IP:Port=10.9.9.9:9(--); ");
}
