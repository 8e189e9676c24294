// Exported tables: the order of the rows callers may index (every row's names
// show in the corpus lines), the one table no line shows, and lookups that find
// no row.
#include <gtest/gtest.h>

#include <string>

#include "paketlog.h"

namespace {
template <std::size_t N>
std::string codes(const CODE_NAME (&table)[N]) {
    std::string s;
    for (const CODE_NAME& row : table) s += std::to_string(row.code) + "|";
    return s;
}
}  // namespace

// Packet types as they always were (141 after 145); connection types and
// parameter types at their codes' places.
TEST(Tables, RowsInStoredOrder) {
    const std::string packets = "128|129|130|132|136|138|140|144|145|141|208|209|210|211|";
    EXPECT_EQ(codes(KesaPakets) + codes(KesaPaketsTC), packets + packets);
    EXPECT_EQ(codes(ConnectType) + codes(ConnectTypeTC), "0|1|2|3|0|1|2|3|");
    for (unsigned i = 0; i < 21; ++i) EXPECT_EQ(AddParamPakets[i].code, 160 + i);
}

TEST(Tables, LookupsPastTheRows) {
    std::string properties;  // kind 4 (NumberPropertyType) has a count of its own
    for (unsigned char code = 0; code < 5; ++code) properties += std::string(get_description_by_type(4, code)) + "|";
    EXPECT_EQ(properties, "Undef|Empty|Part |Full ||");
    EXPECT_STREQ(get_description_by_type(5, 0), "");
    for (bool tc : {false, true})
        for (unsigned char code : {0, 131, 146, 212, 255}) EXPECT_STREQ(get_name_paket(code, tc), "???");
    for (unsigned char code : {159, 181}) EXPECT_EQ(get_name_add_param(code), nullptr);
}
