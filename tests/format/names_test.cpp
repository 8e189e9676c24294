// Control, connection and cause names in both wordings.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "bytes.h"
#include "paketlog.h"

using testing_support::hex;
using testing_support::w1251;

namespace {
template <std::size_t N>
constexpr std::size_t rows(const CODE_NAME (&)[N]) { return N; }
}  // namespace

TEST(ControlNames, BothWordings) {
    EXPECT_STREQ(get_name_control(1, false), "toFB_CTRL_DOBYE");
    EXPECT_EQ(get_name_control(1, true), w1251("Отбой"));
    EXPECT_EQ(get_name_control(131, true), w1251("Отбой"));
    EXPECT_STREQ(get_name_control(131, false), "frFB_CTRL_BYE");
    EXPECT_STREQ(get_name_control(146, false), "frFB_CTRL_RESETHOLD");  // last row
    EXPECT_EQ(get_name_control(146, true), w1251("Снять удержание"));
    EXPECT_EQ(get_name_control(48, true), w1251("Статус доп.услуги"));
    for (unsigned char code : {0, 7, 136, 147, 255}) {
        EXPECT_STREQ(get_name_control(code, false), "Unknown Ctrl") << int(code);
        EXPECT_STREQ(get_name_control(code, true), "Unknown Ctrl") << int(code);
    }
}

TEST(ControlNames, TablesShape) {
    ASSERT_EQ(rows(ControlPakets), 36u);
    ASSERT_EQ(rows(ControlPaketsTC), 36u);
    for (std::size_t i = 0; i < 36; ++i) {
        const unsigned char code = ControlPakets[i].code;
        EXPECT_EQ(ControlPaketsTC[i].code, code) << "row " << i;
        if (i > 0) {
            EXPECT_LT(ControlPakets[i - 1].code, code) << "row " << i;
        }
        EXPECT_EQ(std::string(ControlPakets[i].name, 5), code < 128 ? "toFB_" : "frFB_") << "row " << i;
    }
    const unsigned char shared[][2] = {{1, 131}, {2, 133}, {3, 129}, {4, 132},
                                       {6, 134}, {10, 138}, {11, 139}, {33, 135}};
    for (const auto& pair : shared)
        EXPECT_STREQ(get_name_control(pair[0], true), get_name_control(pair[1], true)) << int(pair[0]);
    EXPECT_STRNE(get_name_control(5, true), get_name_control(128, true));
}

TEST(ConnectNames, TypesAndSources) {
    ASSERT_EQ(rows(ConnectType), 4u);
    ASSERT_EQ(rows(ConnectTypeTC), 4u);
    ASSERT_EQ(rows(ConnectSource), 6u);
    ASSERT_EQ(rows(ConnectSourceTC), 6u);
    for (const CODE_NAME& row : ConnectType) EXPECT_EQ(std::strlen(row.name), 10u) << row.name;
    for (const CODE_NAME& row : ConnectSource) EXPECT_EQ(std::strlen(row.name), 8u) << row.name;

    EXPECT_STREQ(get_connect_type(3, false), "SEND_RECV ");
    EXPECT_EQ(get_connect_type(2, true), w1251("ПРИЁМ"));
    EXPECT_EQ(std::strlen(get_connect_type(2, true)), 5u);
    EXPECT_EQ(get_connect_type(3, true), w1251("ПРИЁМ+ПЕРЕДАЧА"));
    EXPECT_STREQ(get_connect_type(4, false), "Unknown(0x04)");
    EXPECT_STREQ(get_connect_type(200, true), "Unknown(0xC8)");

    EXPECT_STREQ(get_connect_source(0, false), "NONE    ");
    EXPECT_STREQ(get_connect_source(10, false), "RTP chnl");
    EXPECT_EQ(get_connect_source(10, true), w1251("RTP канал"));
    EXPECT_EQ(get_connect_source(3, true), w1251("Сигнал ОТБОЙ"));
    EXPECT_STREQ(get_connect_source(5, false), "Unknown(0x05)");
    EXPECT_STREQ(get_connect_source(9, true), "Unknown(0x09)");
}

TEST(ConnectNames, UnlistedTypeAndSourceKeepSeparateBuffers) {
    const char* type = get_connect_type(9, false);
    const char* source = get_connect_source(7, false);
    EXPECT_NE(type, source);
    EXPECT_STREQ(type, "Unknown(0x09)");
    EXPECT_STREQ(source, "Unknown(0x07)");
    EXPECT_EQ(get_connect_type(0xAB, true), type);  // a second miss reuses the buffer
    EXPECT_STREQ(type, "Unknown(0xAB)");
    EXPECT_STREQ(source, "Unknown(0x07)");
    get_connect_type(1, false);  // a hit leaves the buffer alone
    get_connect_source(4, true);
    EXPECT_STREQ(type, "Unknown(0xAB)");
    EXPECT_STREQ(source, "Unknown(0x07)");
}

TEST(Cause, BothWordings) {
    // The record stands at offset 11 of a CONTROL packet: read it unaligned.
    std::vector<unsigned char> packet = hex("00 00 82 00 00 00 01 00 00 00 05 01 02 03 04 ff ff ff ff");
    _PD_CAUSE* cause = reinterpret_cast<_PD_CAUSE*>(&packet[11]);
    char* op = cause2str(cause);
    EXPECT_STREQ(op, "Loc=1 Src=2 Code=3 Cause=4,");
    char* tc = cause2strTC(cause);
    EXPECT_EQ(std::string(tc), w1251("Место=1 Источник=2 Код=3 Причина=4,"));
    EXPECT_NE(op, tc);
    EXPECT_STREQ(op, "Loc=1 Src=2 Code=3 Cause=4,");  // each wording has its own buffer

    _PD_CAUSE max{255, 255, 255, 255};
    EXPECT_STREQ(cause2str(&max), "Loc=255 Src=255 Code=255 Cause=255,");
    EXPECT_EQ(std::strlen(cause2str(&max)), 35u);
    EXPECT_EQ(std::string(cause2strTC(&max)), w1251("Место=255 Источник=255 Код=255 Причина=255,"));
    EXPECT_EQ(std::strlen(cause2strTC(&max)), 43u);

    // A null record clears the text left by the call before.
    EXPECT_EQ(cause2str(nullptr), op);
    EXPECT_STREQ(op, "");
    EXPECT_EQ(cause2strTC(nullptr), tc);
    EXPECT_EQ(std::string(tc, 64), std::string(64, '\0'));
}

TEST(Workspace, NamesAndCausesGoToCallersWorkspace) {
    const char* shared_type = get_connect_type(0x21, false);
    const char* shared_source = get_connect_source(0x22, false);
    _PD_CAUSE first{9, 9, 9, 9};
    const char* shared_cause = cause2str(&first);
    const char* shared_cause_tc = cause2strTC(&first);

    auto ws = std::make_unique<paketlog::Workspace>();
    EXPECT_EQ(get_connect_type(*ws, 0x31, true), ws->connect_type_text);
    EXPECT_EQ(get_connect_source(*ws, 0x32, true), ws->connect_source_text);
    EXPECT_STREQ(ws->connect_type_text, "Unknown(0x31)");
    EXPECT_STREQ(ws->connect_source_text, "Unknown(0x32)");

    _PD_CAUSE second{1, 2, 3, 4};
    EXPECT_EQ(cause2str(*ws, &second), ws->cause_text);
    EXPECT_EQ(cause2strTC(*ws, &second), ws->cause_text_tc);
    EXPECT_STREQ(ws->cause_text, "Loc=1 Src=2 Code=3 Cause=4,");

    EXPECT_STREQ(shared_type, "Unknown(0x21)");
    EXPECT_STREQ(shared_source, "Unknown(0x22)");
    EXPECT_STREQ(shared_cause, "Loc=9 Src=9 Code=9 Cause=9,");
    EXPECT_EQ(std::string(shared_cause_tc), w1251("Место=9 Источник=9 Код=9 Причина=9,"));
}
