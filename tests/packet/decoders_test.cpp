// Both decoders beyond the corpus lines: arguments, cut lines, the order of
// rendering, the stored count, truncated packets and allocation.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "bytes.h"
#include "golden.h"
#include "paketlog.h"

using testing_support::ExactPacket;
using testing_support::golden_corpus;
using testing_support::GoldenEntry;
using testing_support::w1251;

namespace {

constexpr int kLine = 16384;

const GoldenEntry& entry(const std::string& name) {
    for (const GoldenEntry& e : golden_corpus())
        if (e.name == name) return e;
    throw std::runtime_error("no corpus entry " + name);
}

std::string op_line(const std::vector<unsigned char>& bytes, unsigned char msg = 1, unsigned char skip = 0) {
    ExactPacket p(bytes);
    std::vector<char> dst(kLine);
    decode_paket(dst.data(), kLine, p.get(), p.length, msg, skip);
    return dst.data();
}

std::string tc_line(const std::vector<unsigned char>& bytes) {
    ExactPacket p(bytes);
    std::vector<char> dst(kLine);
    decode_paket_testcall(dst.data(), kLine, p.get(), p.length, true);
    return dst.data();
}

// A packet of `type`: header, then `fields` from offset 10 on.
std::vector<unsigned char> packet(unsigned char type, unsigned seance, const std::vector<unsigned char>& fields) {
    std::vector<unsigned char> p(10, 0);
    p[2] = type;
    testing_support::put32(p, 6, seance);
    p.insert(p.end(), fields.begin(), fields.end());
    return p;
}

void add_param(std::vector<unsigned char>& p, unsigned char type, const std::vector<unsigned char>& value) {
    p.push_back(type);
    p.push_back(0);
    p.push_back(static_cast<unsigned char>(value.size()));
    p.push_back(static_cast<unsigned char>(value.size() >> 8));
    p.insert(p.end(), value.begin(), value.end());
}

// 27-byte number: descriptor 1,1,0,1, category, property 3, digits.
std::vector<unsigned char> number(const std::vector<unsigned char>& digits, unsigned char category) {
    std::vector<unsigned char> n = {1, 1, 0, 1, category, 3, static_cast<unsigned char>(digits.size())};
    n.insert(n.end(), digits.begin(), digits.end());
    n.resize(27, 0);
    return n;
}

// 149-byte RTP record with both flags set.
std::vector<unsigned char> rtp(const std::string& address, unsigned port) {
    std::vector<unsigned char> r(149, 0);
    std::memcpy(&r[17], address.data(), address.size());
    testing_support::put16(r, 145, port);
    r[147] = r[148] = 1;
    return r;
}

std::vector<unsigned char> concat(std::initializer_list<std::vector<unsigned char>> parts) {
    std::vector<unsigned char> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace

TEST(Decoders, ArgumentsThatLeaveNothingToDo) {
    std::vector<unsigned char> bytes = entry("dialdigit_status").packet;
    ExactPacket p(bytes);
    char dst[64];
    const auto untouched = [&] {
        for (char c : dst)
            if (c != '#') return false;
        return true;
    };
    for (int size : {0, -1, -64}) {
        std::memset(dst, '#', sizeof dst);
        EXPECT_EQ(decode_paket(dst, size, p.get(), p.length, 6, 0), nullptr) << size;
        EXPECT_EQ(decode_paket_testcall(dst, size, p.get(), p.length, true), nullptr) << size;
        EXPECT_EQ(decode_paket_testcall(dst, size, p.get(), false), nullptr) << size;
        EXPECT_TRUE(untouched()) << size;
    }
    std::memset(dst, '#', sizeof dst);
    EXPECT_EQ(decode_paket(nullptr, 64, p.get(), p.length, 6, 0), nullptr);
    EXPECT_EQ(decode_paket_testcall(nullptr, 64, p.get(), p.length, true), nullptr);
    EXPECT_EQ(decode_paket_testcall(nullptr, 64, p.get(), true), nullptr);
    EXPECT_EQ(decode_paket(dst, 64, nullptr, p.length, 6, 0), nullptr);
    EXPECT_EQ(decode_paket(dst, 64, p.get(), 0, 6, 0), nullptr);
    EXPECT_EQ(decode_paket_testcall(dst, 64, p.get(), 0, true), nullptr);
    EXPECT_EQ(decode_paket_testcall(dst, 64, nullptr, p.length, true), nullptr);
    EXPECT_EQ(decode_paket_testcall(dst, 64, nullptr, false), nullptr);
    EXPECT_TRUE(untouched());
}

// A line longer than size - 1 is cut there; the result does not move.
TEST(Decoders, LinesCutAtSize) {
    std::vector<char> dst(kLine);
    for (const GoldenEntry& e : golden_corpus()) {
        SCOPED_TRACE(e.name);
        ExactPacket p(e.packet);
        const std::size_t word = std::strlen(get_msg_type_logdb(e.msg_type));
        for (std::size_t size : {std::size_t{1}, word + 2, std::size_t{11}, e.op.size(), e.tc_in.size()}) {
            const int n = static_cast<int>(size);
            std::memset(dst.data(), '#', kLine);
            EXPECT_EQ(decode_paket(dst.data(), n, p.get(), p.length, e.msg_type, e.skip_type),
                      dst.data() + word + 1);
            EXPECT_EQ(std::string(dst.data()), e.op.substr(0, size - 1)) << "size " << size;
            EXPECT_EQ(dst[size], '#');
            for (bool trusting : {false, true}) {
                std::memset(dst.data(), '#', kLine);
                char* r = trusting ? decode_paket_testcall(dst.data(), n, p.get(), true)
                                   : decode_paket_testcall(dst.data(), n, p.get(), p.length, true);
                EXPECT_EQ(r, dst.data() + 10);
                EXPECT_EQ(std::string(dst.data()), e.tc_in.substr(0, size - 1)) << "size " << size;
                EXPECT_EQ(dst[size], '#');
            }
        }
    }
    // Exactly the word's length plus 2: the result addresses the terminator;
    // 11 does the same for a test-call line.
    ExactPacket p(entry("dialdigit_status").packet);
    char small[12];
    EXPECT_STREQ(decode_paket(small, 8, p.get(), p.length, 6, 0), "");
    EXPECT_STREQ(small, "Status ");
    EXPECT_STREQ(decode_paket_testcall(small, 11, p.get(), p.length, false), "");
    EXPECT_EQ(std::string(small), w1251(">> пакет  "));
}

// The block is rendered before the packet's own number and RTP fields, which
// pass through the same texts: each line shows both, each its own.
TEST(Decoders, ParametersDoNotChangeThePacketsOwnFields) {
    std::vector<unsigned char> block = {2};
    add_param(block, 175, number({9, 9, 9}, 42));                                 // HIDE_PARAM
    add_param(block, 168, concat({{1, 0, 0, 0, 2, 0}, rtp("10.9.9.9", 6000)}));  // RTP_PARAM
    const std::string hide = "HIDE_PARAM=999 Ka=42 [Local:Rmt :PBX :Tlph_NT]; ";
    const std::string rtp_param = "RTP_PARAM: ID=1 Dstn=2 IP:Port=10.9.9.9:6000(rs); ";
    const std::string own_number = "555 Ka=7 [Local:Rmt :PBX :Tlph_NT]";

    const auto dialnumber = packet(129, 1, concat({number({1}, 3), number({5, 5, 5}, 7), {0, 0, 0, 0}, block}));
    EXPECT_NE(op_line(dialnumber).find("CallingN=" + own_number + " DialParam"), std::string::npos);
    EXPECT_NE(op_line(dialnumber).find(hide + rtp_param), std::string::npos);
    EXPECT_NE(tc_line(dialnumber).find(w1251("Вызывающий номер=[555,Кат=7 [Local:Rmt :PBX :Tlph_NT]]")),
              std::string::npos);

    const auto callingnum = packet(132, 1, concat({number({5, 5, 5}, 7), {0, 0, 0, 0}, block}));
    EXPECT_NE(op_line(callingnum).find("CallingN=" + own_number + " DialParam"), std::string::npos);
    EXPECT_NE(tc_line(callingnum).find(w1251("Номер=[555,Кат=7 [Local:Rmt :PBX :Tlph_NT]]")), std::string::npos);
    EXPECT_NE(tc_line(callingnum).find(hide + rtp_param), std::string::npos);

    const auto cng_seance = packet(138, 1, concat({{0, 0, 0, 0}, number({5, 5, 5}, 7), {0, 0, 0, 0}, block}));
    EXPECT_NE(op_line(cng_seance).find("CallingN=" + own_number + " ChangeParam"), std::string::npos);
    EXPECT_NE(tc_line(cng_seance).find(w1251("Номер=[555,Кат=7 [Local:Rmt :PBX :Tlph_NT]]")), std::string::npos);

    const auto rtp_data = packet(144, 1, concat({{3, 0, 0, 0, 4, 0}, rtp("10.0.0.5", 5004), block}));
    EXPECT_NE(op_line(rtp_data).find("ID=3 Dstn=4 IP:Port=10.0.0.5:5004(rs) EAP=2 " + hide + rtp_param),
              std::string::npos);
    EXPECT_NE(tc_line(rtp_data).find(w1251("Назн=4 IP:Port=10.0.0.5:5004(rs) EAP=2 ") + hide + rtp_param),
              std::string::npos);
}

// The line shows the count byte as stored; the block text holds at most the
// first twelve parameters.
TEST(Decoders, CountShownAsStored) {
    std::vector<unsigned char> block = {200};
    for (unsigned char i = 0; i < 13; ++i) add_param(block, 162, {i});  // BUTTON=0 .. BUTTON=12
    const auto count_of = [](const std::string& line, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = line.find(what); at != std::string::npos; at = line.find(what, at + 1)) ++n;
        return n;
    };
    const std::string move_call = op_line(packet(140, 1, concat({std::vector<unsigned char>(10, 0), block})));
    EXPECT_NE(move_call.find(" EAP=200 BUTTON=0; BUTTON=1; "), std::string::npos);
    EXPECT_EQ(count_of(move_call, "BUTTON="), 12u);
    EXPECT_EQ(move_call.find("BUTTON=12"), std::string::npos);

    const auto rtp_data = packet(144, 1, concat({std::vector<unsigned char>(6, 0), rtp("1.1.1.1", 1), block}));
    EXPECT_NE(tc_line(rtp_data).find(" EAP=200 BUTTON=0; "), std::string::npos);
    EXPECT_EQ(count_of(tc_line(rtp_data), "BUTTON="), 12u);
    EXPECT_NE(op_line(rtp_data, 1, 162).find(" EAP=200 "), std::string::npos);
    EXPECT_EQ(count_of(op_line(rtp_data, 1, 162), "BUTTON="), 0u);
}

// Every listed type cut at every length: the packet sits at the very end of
// an allocation of exactly that length, so any read past it is caught under
// AddressSanitizer or valgrind. Too short for the type's fields: the
// truncation line. Long enough for the fields but not for the visited
// parameters: the corpus line's start, cut after the last whole parameter,
// and the cut mark. Otherwise: the corpus line.
TEST(Decoders, TruncatedPacketsOfEveryType) {
    const char* names[] = {"dialdigit_star_code", "dialnumber_hide_and_rtp_params", "control_130_reject",
                           "callingnum_hide_param", "chk_seance_255", "cng_seance_negative",
                           "move_call_count_200", "user2user_wide_param", "rtp_data_count_13",
                           "connect_send_recv_rtp", "klt_rdy_endpoint_a_first_13", "klt_regep_video",
                           "klt_unreg_only_skipped", "klt_ntrdy_byte_10", "unlisted_131"};
    std::vector<char> dst(kLine);
    for (const char* name : names) {
        const GoldenEntry& e = entry(name);
        SCOPED_TRACE(name);
        const unsigned char type = e.packet[2];
        const std::string word = get_msg_type_logdb(e.msg_type);
        const std::string prefix = w1251("<< пакет ");
        _PD_PACKET probe{};
        probe.type = type;
        const bool listed = std::strcmp(get_name_paket(type, false), "???") != 0;
        const std::size_t need = !listed ? 3 : type == PKT_KLT_NTRDY ? 11 : probe.get_offset_EAP() + 1u;
        std::size_t visited_end = 0;
        testing_support::visited_params(e.packet, &visited_end);

        for (std::size_t length = 1; length <= e.packet.size(); ++length) {
            SCOPED_TRACE("length " + std::to_string(length));
            ExactPacket p(e.packet.data(), length);
            char* r = decode_paket(dst.data(), kLine, p.get(), p.length, e.msg_type, e.skip_type);
            EXPECT_EQ(r, dst.data() + word.size() + 1);
            const std::string op = dst.data();
            r = decode_paket_testcall(dst.data(), kLine, p.get(), p.length, true);
            EXPECT_EQ(r, dst.data() + 10);
            const std::string tc = dst.data();

            const std::size_t short_of = length < 3 ? 3 : need;
            const std::string counts = std::to_string(length) + " of " + std::to_string(short_of) + " bytes";
            const std::string tc_counts =
                std::to_string(length) + w1251(" из ") + std::to_string(short_of) + w1251(" байт");
            if (length < 3) {
                EXPECT_EQ(op, word + " Truncated packet: " + counts);
                EXPECT_EQ(tc, prefix + w1251(" Пакет обрезан: ") + tc_counts);
            } else if (length < need) {
                EXPECT_EQ(op, word + " " + get_name_paket(type, false) + ": Truncated packet: " + counts);
                EXPECT_EQ(tc, prefix + " " + get_name_paket(type, true) + w1251(" Пакет обрезан: ") + tc_counts);
            } else if (listed && length < visited_end) {
                const std::string mark = "[|eap]";
                ASSERT_GE(op.size(), mark.size());
                EXPECT_EQ(op.substr(op.size() - mark.size()), mark);
                EXPECT_EQ(e.op.compare(0, op.size() - mark.size(), op, 0, op.size() - mark.size()), 0) << op;
                ASSERT_GE(tc.size(), mark.size());
                EXPECT_EQ(tc.substr(tc.size() - mark.size()), mark);
                EXPECT_EQ(e.tc_in.compare(0, tc.size() - mark.size(), tc, 0, tc.size() - mark.size()), 0);
            } else {
                EXPECT_EQ(op, e.op);
                EXPECT_EQ(tc, e.tc_in);
            }
        }
    }
    // Two lines in full.
    const std::vector<unsigned char>& dialnumber = entry("dialnumber_hide_and_rtp_params").packet;
    ExactPacket p(dialnumber.data(), 40);
    decode_paket(dst.data(), kLine, p.get(), p.length, 1, 0);
    EXPECT_STREQ(dst.data(), "<< DIALNUMBER: Truncated packet: 40 of 69 bytes");
    decode_paket_testcall(dst.data(), kLine, p.get(), p.length, false);
    EXPECT_EQ(std::string(dst.data()), w1251(">> пакет  ВЫЗОВ          : Пакет обрезан: 40 из 69 байт"));
    ExactPacket q(dialnumber.data(), 2);
    decode_paket(dst.data(), kLine, q.get(), q.length, 1, 0);
    EXPECT_STREQ(dst.data(), "<< Truncated packet: 2 of 3 bytes");
    decode_paket_testcall(dst.data(), kLine, q.get(), q.length, true);
    EXPECT_EQ(std::string(dst.data()), w1251("<< пакет  Пакет обрезан: 2 из 3 байт"));
}

// Neither decoder reaches the heap; only a video parameter's text, which is
// built as a string, does.
TEST(Decoders, NoAllocation) {
    std::vector<char> dst(kLine);
    std::size_t checked = 0;
    for (const GoldenEntry& e : golden_corpus()) {
        bool video = false;
        for (unsigned char t : testing_support::visited_params(e.packet)) video = video || t == 174;
        if (video) continue;
        ++checked;
        ExactPacket p(e.packet);
        EXPECT_EQ(testing_support::allocations_during([&] {
                      decode_paket(dst.data(), kLine, p.get(), p.length, e.msg_type, e.skip_type);
                      decode_paket_testcall(dst.data(), kLine, p.get(), p.length, true);
                      decode_paket_testcall(dst.data(), kLine, p.get(), false);
                  }),
                  0u)
            << e.name;
    }
    EXPECT_GT(checked, 40u);
}
