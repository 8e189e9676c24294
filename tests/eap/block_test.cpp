// The parameter block where corpus packets cannot reach: no block, the fit
// rule, the position wrap, the length-aware form.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "params.h"

using namespace eap_test;

namespace {
const std::string kCut = "[|eap]";
}  // namespace

TEST(EapBlock, NoBlockBelowOffsetTenAndEveryCallStartsEmpty) {
    Block b{param(162, {7})};
    for (std::size_t i = 0; i < 10; ++i) b.bytes[i] = 1;  // would read as blocks at offsets 1 to 9
    EXPECT_EQ(b.decode(), "BUTTON=7; ");
    for (unsigned short offset = 0; offset < 10; ++offset) EXPECT_STREQ(decode_eap(b.bytes.data(), offset, 0), "");
    EXPECT_STREQ(decode_eap(b.bytes.data(), 5, 9, 0), "");  // whatever the length
}

TEST(EapBlock, TextThatDoesNotFitIsDroppedWholeAndTheWalkGoesOn) {
    // Two texts of 6200 characters make 12400; 16 more would make 12416: dropped; the 15 after them fit (12415).
    const std::string a(6187, 'a'), b(6187, 'b');
    Block block{text(160, a), text(161, b), text(176, "abcd"), text(176, "abc"), param(162, {7})};
    const std::string fit = "ENDPOINT_A=" + a + "; ENDPOINT_B=" + b + "; HIDE_NAME=abc; ";
    EXPECT_EQ(block.decode(), fit);
    EXPECT_EQ(block.decode_within(block.bytes.size()), fit);
    auto ws = std::make_unique<paketlog::Workspace>();  // the workspace form writes into the workspace
    EXPECT_EQ(decode_eap(*ws, block.bytes.data(), 10, 0), ws->block_text);
    EXPECT_EQ(ws->block_text, fit);
    // Cut after a full text: the mark still shows.
    const std::string marked = block.decode_within(block.bytes.size() - 1);
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
