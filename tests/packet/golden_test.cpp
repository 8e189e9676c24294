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

using testing_support::ExactPacket;
using testing_support::GoldenEntry;
using testing_support::golden_corpus;

namespace {

constexpr int kLine = 16384;  // more than any line: block text 12416 plus the fields

::testing::AssertionResult same_line(const char* got, const std::string& want) {
    const std::string line(got);
    if (line == want) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\n  got:  " << testing_support::quote_line(line)
                                         << "\n  want: " << testing_support::quote_line(want)
                                         << "\n  (got as UTF-8: " << testing_support::cp1251_to_utf8(line) << ")";
}

}  // namespace

TEST(Golden, CorpusCoversEveryTypeAndParameter) {
    ASSERT_FALSE(golden_corpus().empty());
    std::set<unsigned> packet_types, params, control_codes;
    std::set<std::string> names;
    for (const GoldenEntry& e : golden_corpus()) {
        EXPECT_TRUE(e.complete()) << e.name << " lacks an expected line";
        EXPECT_TRUE(names.insert(e.name).second) << "two entries named " << e.name;
        ASSERT_GE(e.packet.size(), 11u) << e.name;
        packet_types.insert(e.packet[2]);
        if (e.packet[2] == PKT_CONTROL) control_codes.insert(e.packet[10]);
        for (unsigned char t : testing_support::visited_params(e.packet)) params.insert(t < 160 || t > 180 ? 0 : t);
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
    for (const GoldenEntry& e : golden_corpus()) {
        SCOPED_TRACE(e.name);
        ExactPacket p(e.packet);
        const char* op_at = dst + std::strlen(get_msg_type_logdb(e.msg_type)) + 1;

        std::memset(dst, 0x7F, kLine);
        EXPECT_EQ(decode_paket(dst, kLine, p.get(), p.length, e.msg_type, e.skip_type), op_at);
        EXPECT_TRUE(same_line(dst, e.op));
        std::memset(dst, 0x7F, kLine);
        EXPECT_EQ(decode_paket(*ws, dst, kLine, p.get(), p.length, e.msg_type, e.skip_type), op_at);
        EXPECT_TRUE(same_line(dst, e.op));

        for (bool incoming : {true, false}) {
            const std::string& want = incoming ? e.tc_in : e.tc_out;
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(dst, kLine, p.get(), p.length, incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(dst, kLine, p.get(), incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(*ws, dst, kLine, p.get(), p.length, incoming), dst + 10);
            EXPECT_TRUE(same_line(dst, want));
            std::memset(dst, 0x7F, kLine);
            EXPECT_EQ(decode_paket_testcall(*ws, dst, kLine, p.get(), incoming), dst + 10);
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
        decode_paket(line.data(), kLine, p.get(), p.length, e.msg_type, e.skip_type);
        e.op = line.data();
        decode_paket_testcall(line.data(), kLine, p.get(), p.length, true);
        e.tc_in = line.data();
        decode_paket_testcall(line.data(), kLine, p.get(), p.length, false);
        e.tc_out = line.data();
        e.has_op = e.has_tc_in = e.has_tc_out = true;
    }
    std::ofstream out(to, std::ios::binary);
    out << "# Golden corpus: packets and the exact lines of both decoders (README.md).\n"
           "# Packets come from make_corpus.py; every line was checked by hand.\n";
    testing_support::write_golden(out, entries);
    ASSERT_TRUE(out.good());
}
