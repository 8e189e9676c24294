// The golden corpus through both decoders: every form, byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "golden.h"
#include "paketlog.h"

using testing_support::GoldenEntry;

namespace {

constexpr int kLine = 16384;  // more than any line: block text 12416 plus the fields

// The packet alone in an allocation of exactly its length, so that a read
// past its end leaves the allocation (AddressSanitizer, valgrind).
struct ExactPacket {
    explicit ExactPacket(const std::vector<unsigned char>& bytes)
        : data(new unsigned char[bytes.size()]), length(static_cast<unsigned short>(bytes.size())) {
        std::memcpy(data.get(), bytes.data(), bytes.size());
    }
    std::unique_ptr<unsigned char[]> data;
    unsigned short length;
};

const std::vector<GoldenEntry>& corpus() {
    static const std::vector<GoldenEntry> entries = testing_support::read_golden(testing_support::golden_corpus_path());
    return entries;
}

::testing::AssertionResult same_line(const char* got, const std::string& want) {
    const std::string line(got);
    if (line == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\n  got:  " << testing_support::quote_line(line)
                                         << "\n  want: " << testing_support::quote_line(want)
                                         << "\n  (got as UTF-8: " << testing_support::cp1251_to_utf8(line) << ")";
}

// Parameter types of the block as the decoders walk it: at most twelve.
std::vector<unsigned char> block_types(const std::vector<unsigned char>& p) {
    std::vector<unsigned char> types;
    const unsigned offset = reinterpret_cast<const _PD_PACKET*>(p.data())->get_offset_EAP();
    if (offset == 0 || offset >= p.size()) return types;
    std::size_t pos = offset + 1;
    for (unsigned i = 0; i < p[offset] && i < 12 && pos + 4 <= p.size(); ++i) {
        types.push_back(p[pos]);
        pos += 4 + (p[pos + 2] | (p[pos + 3] << 8));
    }
    return types;
}

}  // namespace

TEST(Golden, CorpusCoversEveryTypeAndParameter) {
    ASSERT_FALSE(corpus().empty());
    std::set<unsigned> packet_types, params, control_codes;
    std::set<std::string> names;
    for (const GoldenEntry& e : corpus()) {
        EXPECT_TRUE(e.complete()) << e.name << " lacks an expected line";
        EXPECT_TRUE(names.insert(e.name).second) << "two entries named " << e.name;
        ASSERT_GE(e.packet.size(), 11u) << e.name;
        packet_types.insert(e.packet[2]);
        if (e.packet[2] == PKT_CONTROL) control_codes.insert(e.packet[10]);
        for (unsigned char t : block_types(e.packet)) params.insert(t < 160 || t > 180 ? 0 : t);
    }
    for (unsigned t : {128, 129, 130, 132, 136, 138, 140, 141, 144, 145, 208, 209, 210, 211, 0, 127, 131, 133, 146,
                       207, 212, 255})
        EXPECT_EQ(packet_types.count(t), 1u) << "no packet of type " << t;
    for (unsigned t = 160; t <= 180; ++t) EXPECT_EQ(params.count(t), 1u) << "no parameter of type " << t;
    EXPECT_EQ(params.count(0), 1u) << "no parameter of an unknown type";
    for (unsigned c : {1, 5, 130, 131, 140, 0, 2, 255}) EXPECT_EQ(control_codes.count(c), 1u) << "control " << c;
}

TEST(Golden, EveryFormGivesTheCorpusLines) {
    auto ws = std::make_unique<paketlog::Workspace>();
    std::vector<char> buffer(kLine);
    char* const dst = buffer.data();
    for (const GoldenEntry& e : corpus()) {
        SCOPED_TRACE(e.name);
        ExactPacket p(e.packet);
        const char* op_at = dst + std::strlen(get_msg_type_logdb(e.msg_type)) + 1;

        std::memset(dst, 0x7F, kLine);
        EXPECT_EQ(decode_paket(dst, kLine, p.data.get(), p.length, e.msg_type, e.skip_type), op_at);
        EXPECT_TRUE(same_line(dst, e.op));
        std::memset(dst, 0x7F, kLine);
        EXPECT_EQ(decode_paket(*ws, dst, kLine, p.data.get(), p.length, e.msg_type, e.skip_type), op_at);
        EXPECT_TRUE(same_line(dst, e.op));

        for (bool incoming : {true, false}) {
            const std::string& want = incoming ? e.tc_in : e.tc_out;
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(dst, kLine, p.data.get(), p.length, incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(dst, kLine, p.data.get(), incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(*ws, dst, kLine, p.data.get(), p.length, incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(*ws, dst, kLine, p.data.get(), incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
        }
    }
}

// Fills in the expected lines of a skeleton written by make_corpus.py:
//   PAKETLOG_GOLDEN_SKELETON=in.txt PAKETLOG_GOLDEN_WRITE=out.txt test_packet --gtest_filter=Golden.Write
// Every line it writes is checked by hand before it goes into corpus.txt.
TEST(Golden, Write) {
    const char* from = std::getenv("PAKETLOG_GOLDEN_SKELETON");
    const char* to = std::getenv("PAKETLOG_GOLDEN_WRITE");
    if (from == nullptr || to == nullptr) GTEST_SKIP() << "only on request";
    std::vector<GoldenEntry> entries = testing_support::read_golden(from);
    std::vector<char> line(kLine);
    for (GoldenEntry& e : entries) {
        ExactPacket p(e.packet);
        decode_paket(line.data(), kLine, p.data.get(), p.length, e.msg_type, e.skip_type);
        e.op = line.data();
        decode_paket_testcall(line.data(), kLine, p.data.get(), p.length, true);
        e.tc_in = line.data();
        decode_paket_testcall(line.data(), kLine, p.data.get(), p.length, false);
        e.tc_out = line.data();
        e.has_op = e.has_tc_in = e.has_tc_out = true;
    }
    std::ofstream out(to, std::ios::binary);
    out << "# Golden corpus: packets and the exact lines of both decoders (README.md).\n"
           "# Packets come from make_corpus.py; every line was checked by hand.\n";
    testing_support::write_golden(out, entries);
    ASSERT_TRUE(out.good());
}
