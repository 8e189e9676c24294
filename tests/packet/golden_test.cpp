// The golden corpus through every decoder form, byte for byte, with room for
// the whole line and with less.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "golden.h"

using namespace testing_support;

// Every row of the packet, control and connection tables, and codes of none.
TEST(Golden, CorpusCoversEveryTableRowAndParameter) {
    std::set<unsigned> types, controls, connect_types, connect_sources, params;  // params: 160-180, 0 for others
    for (const GoldenEntry& e : golden_corpus()) {
        ASSERT_GE(e.packet.size(), 11u) << e.name;
        types.insert(e.packet[2]);
        if (e.packet[2] == PKT_CONTROL) controls.insert(e.packet[10]);
        if (e.packet[2] == PKT_CONNECT) connect_types.insert(e.packet[10]), connect_sources.insert(e.packet[11]);
        for (unsigned t : visited_params(e.packet)) params.insert(t < 160 || t > 180 ? 0 : t);
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
    constexpr int kLine = 16384;  // more than any line: block text 12416 plus the fields
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
