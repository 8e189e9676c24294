// The golden corpus through every decoder form, byte for byte.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "golden.h"

using namespace testing_support;

TEST(Golden, CorpusCoversEveryTypeAndParameter) {
    std::set<unsigned> types, controls, params;  // params: 160-180, and 0 for any other type
    for (const GoldenEntry& e : golden_corpus()) {
        ASSERT_GE(e.packet.size(), 11u) << e.name;
        types.insert(e.packet[2]);
        if (e.packet[2] == PKT_CONTROL) controls.insert(e.packet[10]);
        for (unsigned t : visited_params(e.packet)) params.insert(t < 160 || t > 180 ? 0 : t);
    }
    for (unsigned t : {128, 129, 130, 132, 136, 138, 140, 141, 144, 145, 208, 209, 210, 211, 0, 127, 131, 133, 146,
                       207, 212, 255})
        EXPECT_EQ(types.count(t), 1u) << "no packet of type " << t;
    for (unsigned c : {1, 5, 130, 131, 140, 0, 2, 255}) EXPECT_EQ(controls.count(c), 1u) << "no control " << c;
    EXPECT_EQ(params.size(), 22u) << "parameters of every type 160-180 and of an unknown one";
}

TEST(Golden, EveryFormGivesTheCorpusLines) {
    constexpr int kLine = 16384;  // more than any line: block text 12416 plus the fields
    auto ws = std::make_unique<paketlog::Workspace>();
    std::string dst(kLine, '\0');
    for (const GoldenEntry& e : golden_corpus()) {
        ExactPacket p(e.packet);
        for (int form = 0; form < kForms; ++form)
            for (bool incoming : {true, false}) {
                dst.assign(kLine, '\x7F');
                EXPECT_EQ(decode_form(form, *ws, &dst[0], kLine, p.get(), p.length, e, incoming),
                          &dst[form_result(form, e)]);
                EXPECT_EQ(dst.c_str(), form_line(form, e, incoming)) << e.name << ", form " << form;
            }
    }
}
