// The parameter block where corpus packets cannot reach: no block, the fit
// rule, the position wrap, the length-aware form, allocation, workspaces.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "alloc_counter.h"
#include "params.h"

using namespace eap_test;

namespace {
const std::string kCut = "[|eap]";
// Two parameters whose texts are 6200 characters each: 12400 in the block.
Block nearly_full() { return Block{text(160, std::string(6187, 'a')), text(161, std::string(6187, 'b'))}; }
}  // namespace

TEST(EapBlock, NoBlockBelowOffsetTenAndEveryCallStartsEmpty) {
    Block b{param(162, {7})};
    for (std::size_t i = 0; i < 10; ++i) b.bytes[i] = 1;  // would read as blocks at offsets 1 to 9
    EXPECT_EQ(b.decode(), "BUTTON=7; ");
    for (unsigned short offset = 0; offset < 10; ++offset) EXPECT_STREQ(decode_eap(b.bytes.data(), offset, 0), "");
    EXPECT_STREQ(decode_eap(b.bytes.data(), 5, 9, 0), "");  // whatever the length
}

TEST(EapBlock, TextThatDoesNotFitIsDroppedWholeAndTheWalkGoesOn) {
    const std::string ab = "ENDPOINT_A=" + std::string(6187, 'a') + "; ENDPOINT_B=" + std::string(6187, 'b') + "; ";
    // 16 characters would make 12416: dropped; the 15 after it fit (12415).
    Block b = nearly_full().add(text(176, "abcd")).add(text(176, "abc")).add(param(162, {7}));
    EXPECT_EQ(b.decode(), ab + "HIDE_NAME=abc; ");
    EXPECT_EQ(b.decode_within(b.bytes.size()), ab + "HIDE_NAME=abc; ");
    // Cut after a full text: the mark still shows.
    const std::string marked = b.decode_within(b.bytes.size() - 1);
    EXPECT_EQ(marked.substr(marked.size() - kCut.size()), kCut);
    EXPECT_LE(marked.size(), 12415u);
}

TEST(EapBlock, PositionsWrapAt64KiB) {
    // Second header at (11 + 4 + 65523) mod 65536 = 2, not at 65538.
    Bytes big(65538);
    big[10] = 2;
    const Bytes first = param(0x55, {}, 65523), button = param(162, {7}), decoy = text(161, "nowrap");
    std::copy(first.begin(), first.end(), big.begin() + 11);
    std::copy(button.begin(), button.end(), big.begin() + 2);
    big.insert(big.end(), decoy.begin(), decoy.end());
    EXPECT_STREQ(decode_eap(big.data(), 10, 0), "Unknown add param:Type=0x55 Len=65523BUTTON=7; ");
    EXPECT_EQ(decode_eap(big.data(), 65535, 10, 0), kCut);
    // A block at 65535 has its first parameter at position 0.
    Bytes top(65536);
    top[65535] = 1;
    std::copy(button.begin(), button.end(), top.begin());
    EXPECT_STREQ(decode_eap(top.data(), 65535, 0), "BUTTON=7; ");
}

TEST(EapBlock, LengthAwareFormReadsNothingPastTheLengthAndMarksTheCut) {
    Block b;
    std::vector<std::pair<std::size_t, std::string>> ends;  // where each parameter ends, and its text
    for (const Bytes& p : {param(162, {7}), text(160, "xy"), rtp(1, "10.0.0.1"), param(175, Bytes(27)),
                           param(161, {'a', 'b'}), param(164, {})}) {  // no NUL; an empty value ending the packet
        b.add(p);
        ends.emplace_back(b.bytes.size(), Block{p}.decode());
    }
    for (std::size_t n = 0; n <= b.bytes.size(); ++n) {  // every prefix, at the very end of its memory
        std::string want;
        for (const auto& e : ends) want += e.first <= n ? e.second : "";
        want += n < b.bytes.size() ? kCut : "";
        at_end(Bytes(b.bytes.begin(), b.bytes.begin() + static_cast<std::ptrdiff_t>(n)), [&](unsigned char* p) {
            EXPECT_EQ(decode_eap(p, static_cast<unsigned short>(n), 10, 0), want) << n;
        });
    }
    const std::string whole = b.decode();
    b.bytes.insert(b.bytes.end(), 3, 0);
    EXPECT_EQ(b.decode_within(b.bytes.size()), whole);  // bytes after the block are no cut
    b.bytes[10] = 7;                                    // a parameter announced, not there
    EXPECT_EQ(b.decode_within(b.bytes.size()), whole + kCut);
}

TEST(EapBlock, TwelveParametersAllocateNothingWorkspacesAreIndependent) {
    Block b{text(160, "ep-a"), param(162, {3}), rtp(5, "10.0.0.5"), param(169, {77, 0, 0, 0}),
            param(172, {1, 0, 0, 0, 2, 0, 0, 0}), param(173, {0xDE, 0xAD}), param(175, Bytes(27)), param(177, {3}),
            param(0x55, {}), param(164, {}), text(161, "ep-b"), param(165, {4})};
    const std::string twelve = b.decode();
    EXPECT_EQ(twelve.substr(twelve.size() - 33), "ENDPOINT_B=ep-b; DMR_PRIORITY=4; ");  // all twelve seen
    const auto length = static_cast<unsigned short>(b.bytes.size());
    EXPECT_EQ(testing_support::allocations_during([&] { decode_eap(b.bytes.data(), 10, 0); }), 0u);
    EXPECT_EQ(testing_support::allocations_during([&] { decode_eap(b.bytes.data(), length, 10, 0); }), 0u);

    auto ws1 = std::make_unique<paketlog::Workspace>(), ws2 = std::make_unique<paketlog::Workspace>();
    Block rtp_only{rtp(1, "10.9.9.9")};
    const char* legacy = decode_eap(b.bytes.data(), 10, 0);
    EXPECT_EQ(decode_eap(*ws1, b.bytes.data(), length, 10, 0), ws1->block_text);
    EXPECT_EQ(decode_eap(*ws2, rtp_only.bytes.data(), 10, 0), ws2->block_text);
    EXPECT_EQ(ws1->block_text, twelve);
    EXPECT_STREQ(ws2->rtp_text, "IP:Port=10.9.9.9:0(--)");
    EXPECT_EQ(legacy, twelve);
}
