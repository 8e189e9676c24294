// Additional parameters where corpus packets cannot reach. One parameter at its
// limits: what it writes, what it reads, the shared texts it renders through.
// The block: no block, the fit rule, the position wrap, the length-aware form.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "paketlog.h"

namespace {
using Bytes = std::vector<unsigned char>;

// Header (type, an uninterpreted byte, u16 length: the value's size unless given), then the value.
Bytes param(unsigned char type, const Bytes& value, unsigned length = ~0u) {
    if (length == ~0u) length = unsigned(value.size());
    Bytes p(4 + value.size());
    p[0] = type, p[1] = 0x5A, p[2] = static_cast<unsigned char>(length), p[3] = static_cast<unsigned char>(length >> 8);
    std::copy(value.begin(), value.end(), p.begin() + 4);
    return p;
}
Bytes text(unsigned char type, const std::string& s) { return param(type, Bytes(s.c_str(), s.c_str() + s.size() + 1)); }
// RTP_PARAM: u32 ID, u16 Dstn 0, then the 149-byte RTP record (port 0, flags clear).
Bytes rtp(unsigned char id, const std::string& address) {
    Bytes v(6 + 149);
    v[0] = id;
    std::copy(address.begin(), address.end(), v.begin() + 6 + 17);
    return param(168, v);
}
_PD_ADD_PARAM_HEADER* header(const unsigned char* p) {  // the library takes it writable, and only reads
    return reinterpret_cast<_PD_ADD_PARAM_HEADER*>(const_cast<unsigned char*>(p));
}

// A packet whose block starts at offset 10 (as in types 208-210).
struct Block {
    Bytes bytes = Bytes(11, 0);
    Block(std::initializer_list<Bytes> params = {}) { for (const Bytes& p : params) add(p); }
    void add(const Bytes& p) { bytes.insert(bytes.end(), p.begin(), p.end()), ++bytes[10]; }
    std::string decode() { return decode_eap(bytes.data(), 10, 0); }
    std::string decode_within(std::size_t n) { return decode_eap(bytes.data(), static_cast<unsigned short>(n), 10, 0); }
};

// Calls f with a copy of `bytes` that ends right before an unreadable page.
template <typename F>
void at_end(const Bytes& bytes, F&& f) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), span = (bytes.size() / page + 2) * page;
    void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) throw std::runtime_error("mmap");
    unsigned char* guard = static_cast<unsigned char*>(m) + span - page;
    mprotect(guard, page, PROT_NONE);
    f(std::copy(bytes.begin(), bytes.end(), guard - bytes.size()) - bytes.size());
    munmap(m, span);
}

const std::string kCut = "[|eap]";
}  // namespace

TEST(EapValue, SilentTypesWriteNothingUnknownTypesReadNoValue) {
    for (unsigned char type : {164, 166, 180}) {
        char buf[16] = "earlier text";
        EXPECT_EQ(get_eap_value(buf, sizeof buf, header(param(type, {'x', 'y', 0}).data())), 1);
        EXPECT_EQ(std::string(buf, sizeof buf), std::string("earlier text\0\0\0\0", 16)) << int{type};
    }
    at_end(param(0xFE, {}, 4096), [](unsigned char* p) {  // no value byte there to read
        char buf[64];
        EXPECT_EQ(get_eap_value(buf, sizeof buf, header(p)), 0);
        EXPECT_STREQ(buf, "Unknown add param:Type=0xFE Len=4096");
    });
}

// One parameter at the very end of readable memory: values read only within
// their length and field widths, texts cut to the size, nothing written past it.
TEST(EapValue, ValuesReadWithinTheirLengthTextsCutAtSize) {
    const Bytes three = {0x01, 0x02, 0x03};
    const std::string w(7000, 'w');
    const struct { Bytes param; std::string text; int size = 6208; } cases[] = {
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
        // The binary dump shares the size left after its prefix; a text without NUL is bounded.
        {param(173, three), "BINARY_DATA", 12}, {param(173, three), "BINARY_DATA=", 16},
        {param(173, three), "BINARY_DATA=01 ", 17},
        {param(160, Bytes(w.begin(), w.end())), "ENDPOINT_A=" + w.substr(0, 6196)},  // in room for any text
    };
    for (const auto& c : cases)
        at_end(c.param, [&](unsigned char* p) {
            std::string buf(6300, '#');
            EXPECT_EQ(get_eap_value(&buf[0], c.size, header(p)), 1);
            EXPECT_EQ(std::string(buf.c_str()), c.text);
            EXPECT_EQ(buf[std::size_t(c.size)], '#') << c.size;
        });
    for (int size : {4, 0, -1}) {  // the dump alone, without room for a byte and the NUL: nothing at all
        char buf[8] = "#######";
        EXPECT_EQ(dump2str(buf, size, three.data(), 3), 0);
        EXPECT_STREQ(buf, "#######");
    }
}

TEST(EapValue, HideAndRtpOverwriteTheSharedTexts) {
    auto ws = std::make_unique<paketlog::Workspace>();
    std::strcpy(ws->number_text_a, "555");
    char buf[128];
    for (const Bytes& p : {param(175, Bytes(27)), rtp(3, "10.3.3.3")})
        get_eap_value(*ws, buf, sizeof buf, header(p.data()));
    EXPECT_STREQ(ws->number_text_a, "");
    EXPECT_STREQ(ws->type_text_a, "[Undef:Lcl :PBX :Undf_NT]");
    EXPECT_STREQ(ws->rtp_text, "IP:Port=10.3.3.3:0(--)");
}

TEST(EapBlock, NoBlockBelowOffsetTenAndEveryCallStartsEmpty) {
    Block b{param(162, {7})};
    std::fill_n(b.bytes.begin(), 10, 1);  // would read as blocks at offsets 1 to 9
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
