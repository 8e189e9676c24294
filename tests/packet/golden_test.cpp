// The decoders on the golden corpus, and of the exported tables what no line
// shows: the order of rows callers may index, lookups that find no row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "golden.h"
#include "wire/packet_types.h"

unsigned long allocations_on_this_thread();  // alloc_counter.cpp: since the program started
using namespace testing_support;

constexpr int kLine = 16384;  // more than any line: block text 12416 plus the fields

// Every row of the packet, control and connection tables, and codes of none.
TEST(Golden, CorpusCoversEveryTableRowAndParameter) {
    std::set<unsigned> types, controls, connect_types, connect_sources, params;  // params: 160-180, 0 for others
    for (const GoldenEntry& e : golden_corpus()) {
        ASSERT_GE(e.packet.size(), 11u) << e.name;
        types.insert(e.packet[2]);
        if (e.packet[2] == PKT_CONTROL) controls.insert(e.packet[10]);
        if (e.packet[2] == PKT_CONNECT) connect_types.insert(e.packet[10]), connect_sources.insert(e.packet[11]);
        for (unsigned t : e.visited) params.insert(t < 160 || t > 180 ? 0 : t);
    }
    const auto covers = [](const std::set<unsigned>& seen, const auto& table, std::initializer_list<unsigned> unlisted) {
        for (const CODE_NAME& row : table) EXPECT_EQ(seen.count(row.code), 1u) << "no row " << unsigned{row.code};
        for (unsigned code : unlisted) EXPECT_EQ(seen.count(code), 1u) << "no unlisted " << code;
    };
    covers(types, KesaPakets, {0, 127, 131, 133, 146, 207, 212, 255});
    covers(controls, ControlPakets, {0, 141, 255});
    covers(connect_types, ConnectType, {4, 200});
    covers(connect_sources, ConnectSource, {5});
    EXPECT_EQ(params.size(), 22u) << "parameters of every type 160-180 and of an unknown one";
}

// Room for the whole line, or less: the line cut at size - 1, nothing written
// past it, the result where it points with room for all.
TEST(Golden, EveryFormGivesTheCorpusLinesCutAtSize) {
    auto ws = std::make_unique<paketlog::Workspace>();
    std::string dst;
    for (const GoldenEntry& e : golden_corpus()) {
        ExactPacket p(e.packet);
        for (int form = 0; form < kForms; ++form)
            for (bool incoming : {true, false}) {
                const std::string& line = form_line(form, e, incoming);
                const std::size_t result = form_result(form, e);
                for (std::size_t size : {std::size_t{kLine}, std::size_t{1}, result + 1, std::size_t{11}, line.size(),
                                         line.size() + 1}) {
                    dst.assign(kLine + 1, '\x7F');
                    EXPECT_EQ(decode_form(form, *ws, &dst[0], int(size), p.get(), p.length, e, incoming), &dst[result]);
                    EXPECT_EQ(dst.c_str(), line.substr(0, size - 1)) << e.name << ", form " << form << ", size " << size;
                    EXPECT_EQ(dst[size], '\x7F');
                }
            }
    }
}

TEST(Decoders, ArgumentsThatLeaveNothingToDo) {
    const GoldenEntry& e = golden_corpus().front();
    ExactPacket p(e.packet);
    auto ws = std::make_unique<paketlog::Workspace>();
    const struct { bool dst; int size; bool packet; unsigned short length; } cases[] = {
        {true, 0, true, p.length},   {true, -1, true, p.length},  {true, -64, true, p.length},
        {false, 64, true, p.length}, {true, 64, false, p.length}, {true, 64, true, 0}};
    for (int form = 0; form < kForms; ++form)
        for (const auto& c : cases) {
            if (c.length == 0 && form >= 4) continue;  // the trusting forms take no length
            std::string dst(64, '#');
            EXPECT_EQ(decode_form(form, *ws, c.dst ? &dst[0] : nullptr, c.size, c.packet ? p.get() : nullptr, c.length,
                                  e), nullptr) << "form " << form << ", case " << (&c - cases);
            EXPECT_EQ(dst, std::string(64, '#'));
        }
}

// Every corpus packet cut at every length, at the very end of an allocation of
// exactly that length (a read past it is caught under AddressSanitizer or
// valgrind). Too short for the type's fields (the entry's stored need): the
// truncation line. Long enough for them but not for the visited parameters
// (before the stored end): the corpus line cut after the last whole
// parameter, and the cut mark. Otherwise: the corpus line.
TEST(Decoders, TruncatedPacketsOfEveryType) {
    auto ws = std::make_unique<paketlog::Workspace>();
    std::vector<char> dst(kLine);
    for (const GoldenEntry& e : golden_corpus()) {
        const unsigned char type = e.packet[2];
        for (std::size_t length = 1; length <= e.packet.size(); ++length) {
            ExactPacket p(e.packet, length);
            for (int form = 0; form < 4; ++form) {  // the forms given the length
                SCOPED_TRACE(e.name + ", length " + std::to_string(length) + ", form " + std::to_string(form));
                const bool tc = form >= 2;
                const std::string& line = form_line(form, e);
                EXPECT_EQ(decode_form(form, *ws, dst.data(), kLine, p.get(), p.length, e), &dst[form_result(form, e)]);
                const std::string got = dst.data(), n = std::to_string(length);
                const std::string m = std::to_string(length < 3 ? 3 : e.need), of = tc ? " \xE8\xE7 " : " of ";
                // The name once byte 2 is there, then " Пакет обрезан: N из M байт" in Windows-1251.
                const std::string truncated =
                    (length < 3 ? "" : std::string(" ") + get_name_paket(type, tc) + (tc ? "" : ":")) +
                    (tc ? " \xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED: " : " Truncated packet: ") + n + of + m +
                    (tc ? " \xE1\xE0\xE9\xF2" : " bytes");
                const std::size_t kept = got.size() < 6 ? 0 : got.size() - 6;
                if (length < e.need)
                    EXPECT_EQ(got, line.substr(0, form_result(form, e) - 1) + truncated);
                else if (length < e.end)
                    EXPECT_EQ(got, line.substr(0, kept) + "[|eap]");
                else
                    EXPECT_EQ(got, line);
            }
        }
    }
}

// Neither decoder reaches the heap; only a video parameter's text does.
TEST(Decoders, NoAllocation) {
    auto ws = std::make_unique<paketlog::Workspace>();
    std::string dst(kLine, '\0');
    std::size_t checked = 0;
    for (const GoldenEntry& e : golden_corpus()) {
        if (std::count(e.visited.begin(), e.visited.end(), 174) != 0) continue;  // VIDEO_PARAM
        ExactPacket p(e.packet);
        ++checked;
        for (int form = 0; form < kForms; ++form) {
            const unsigned long before = allocations_on_this_thread();
            decode_form(form, *ws, &dst[0], kLine, p.get(), p.length, e);
            EXPECT_EQ(allocations_on_this_thread() - before, 0u) << e.name << ", form " << form;
        }
    }
    EXPECT_GT(checked, 40u);
}

// Packet types as they always were (141 after 145); connection types and
// parameter types at their codes' places. Lookups that find no row.
TEST(Tables, RowsInStoredOrderAndLookupsPastThem) {
    const auto codes = [](const auto& table) {
        std::string s;
        for (const CODE_NAME& row : table) s += std::to_string(row.code) + "|";
        return s;
    };
    const std::string packets = "128|129|130|132|136|138|140|144|145|141|208|209|210|211|";
    EXPECT_EQ(codes(KesaPakets), packets);
    EXPECT_EQ(codes(KesaPaketsTC), packets);
    EXPECT_EQ(codes(ConnectType), "0|1|2|3|");
    EXPECT_EQ(codes(ConnectTypeTC), "0|1|2|3|");
    for (unsigned i = 0; i < 21; ++i) EXPECT_EQ(AddParamPakets[i].code, 160 + i);
    // Each descriptor kind's last row, and the first code past it; there is no kind 5.
    const struct { unsigned char kind, count; const char* last; } kinds[] = {
        {0, 6, "Servc"}, {1, 2, "Rmt "}, {2, 3, "DTRAN"}, {3, 4, "Prvt_NT"}, {4, 4, "Full "}};
    for (const auto& k : kinds) {
        EXPECT_STREQ(get_description_by_type(k.kind, k.count - 1), k.last) << "kind " << int{k.kind};
        EXPECT_STREQ(get_description_by_type(k.kind, k.count), "") << "kind " << int{k.kind};
    }
    EXPECT_STREQ(get_description_by_type(5, 0), "");
    for (bool tc : {false, true})
        for (unsigned char code : {0, 131, 146, 212, 255}) EXPECT_STREQ(get_name_paket(code, tc), "???");
}

// The re-entrant forms on four threads at once, each with its own workspace,
// every line as a single thread gives it.
TEST(Threads, CorpusOnFourThreadsWithTheirOwnWorkspaces) {
    constexpr int kThreads = 4, kRounds = 200;
    const std::vector<GoldenEntry>& corpus = golden_corpus();
    std::vector<ExactPacket> packets;
    for (const GoldenEntry& e : corpus) packets.emplace_back(e.packet);
    std::vector<std::string> mismatches(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            auto ws = std::make_unique<paketlog::Workspace>();
            std::vector<char> dst(kLine);
            // Each thread starts at another entry: different packets in flight at once.
            for (std::size_t k = 0; k < kRounds * corpus.size(); ++k) {
                const std::size_t i = (k + t * corpus.size() / kThreads) % corpus.size();
                for (int form = 1; form < kForms; form += 2)
                    for (bool incoming : {true, false}) {
                        decode_form(form, *ws, dst.data(), kLine, packets[i].get(), packets[i].length, corpus[i],
                                    incoming);
                        if (form_line(form, corpus[i], incoming) != dst.data() && mismatches[t].empty())
                            mismatches[t] = corpus[i].name;
                    }
            }
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], "") << "thread " << t << ": first mismatch";
}

// The header's get_offset_EAP, which users call, and the records the decoders
// read agree on every type's block.
TEST(Layouts, BlockOffsetOfEveryTypeAsTheHeaderSays) {
    for (unsigned type = 0; type < 256; ++type) {
        _PD_PACKET header{};
        header.type = static_cast<unsigned char>(type);
        EXPECT_EQ(paketlog::wire::block_offset(header.type), header.get_offset_EAP()) << "type " << type;
    }
}
