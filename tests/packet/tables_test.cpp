// Packet-type names, message-type words and where the parameter block begins.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bytes.h"
#include "paketlog.h"

using testing_support::w1251;

TEST(PacketNames, BothWordingsByteForByte) {
    struct Row {
        unsigned char code;
        const char* op;
        const char* tc;  // UTF-8 here, Windows-1251 in the library
        std::size_t tc_bytes;
    };
    const Row rows[] = {
        {128, "DIALDIGIT ", "ЦИФРА          :", 16},  {129, "DIALNUMBER", "ВЫЗОВ          :", 16},
        {130, "CONTROL   ", "УПРАВЛЕНИЕ     :", 16},  {132, "CALLINGNUM", "НОМЕР ВЫЗЫВАЮЩЕГО АБОНЕНТА:", 27},
        {136, "CHK_SEANCE", "ПРОВЕРКА СЕАНСА:", 16},  {138, "CNG_SEANCE", "СМЕНА СЕАНСА   :", 16},
        {140, "MOVE_CALL ", "ПЕРЕВОД ВЫЗОВА :", 16},  {144, "RTP_DATA  ", "ПАРАМЕТРЫ RTP  :", 16},
        {145, "CONNECT   ", "СОЕДИНЕНИЕ     :", 16},  {141, "USER2USER ", "ИНФ.ПОЛЬЗОВАТЕЛЯ:", 17},
        {208, "KLT_RDY   ", "BVKLT_READY  ", 13},     {209, "KLT_REGEP ", "BVKLT_REG_EP ", 13},
        {210, "KLT_UNREG ", "BVKLT_UNREGEP", 13},     {211, "KLT_NTRDY ", "BVKLT_NTREADY", 13},
    };
    ASSERT_EQ(sizeof KesaPakets / sizeof KesaPakets[0], 14u);
    ASSERT_EQ(sizeof KesaPaketsTC / sizeof KesaPaketsTC[0], 14u);
    for (std::size_t i = 0; i < 14; ++i) {
        const Row& r = rows[i];
        // Stored in this order, 141 after 145.
        EXPECT_EQ(KesaPakets[i].code, r.code) << "row " << i;
        EXPECT_EQ(KesaPaketsTC[i].code, r.code) << "row " << i;
        EXPECT_STREQ(get_name_paket(r.code, false), r.op);
        EXPECT_EQ(std::strlen(get_name_paket(r.code, false)), 10u) << int(r.code);
        EXPECT_EQ(std::string(get_name_paket(r.code, true)), w1251(r.tc)) << int(r.code);
        EXPECT_EQ(std::strlen(get_name_paket(r.code, true)), r.tc_bytes) << int(r.code);
    }
    for (unsigned char code : {0, 1, 127, 131, 133, 137, 146, 207, 212, 255}) {
        EXPECT_STREQ(get_name_paket(code, false), "???") << int(code);
        EXPECT_STREQ(get_name_paket(code, true), "???") << int(code);
    }
}

TEST(PacketNames, MessageTypeWords) {
    const char* words[] = {"<<",   ">>",   "Timer",  "Warning", "Error", "Status",  "OnHook", "OffHook",
                           "DIGIT", "TONE", "RING",  "ENABLE",  "DSP2",  "Channel", "LIB"};
    for (int code = 1; code <= 15; ++code)
        EXPECT_STREQ(get_msg_type_logdb(static_cast<unsigned char>(code)), words[code - 1]) << code;
    for (int code : {0, 16, 17, 128, 255}) {
        const char* word = get_msg_type_logdb(static_cast<unsigned char>(code));
        ASSERT_NE(word, nullptr) << code;
        EXPECT_STREQ(word, "") << code;
    }
}

TEST(PacketRecord, OffsetOfParameterBlock) {
    const std::map<int, unsigned short> blocks = {
        {128, 11}, {129, 68}, {130, 19}, {132, 41}, {136, 11}, {138, 45}, {140, 20},
        {141, 22}, {144, 165}, {145, 16}, {208, 10}, {209, 10}, {210, 10},
    };
    // Every other header byte is set, and the record stands at an odd address:
    // only `type` decides.
    std::vector<unsigned char> bytes(1 + sizeof(_PD_PACKET), 0xFF);
    const _PD_PACKET* packet = reinterpret_cast<const _PD_PACKET*>(&bytes[1]);
    for (int type = 0; type < 256; ++type) {
        bytes[1 + 2] = static_cast<unsigned char>(type);
        const auto it = blocks.find(type);
        EXPECT_EQ(packet->get_offset_EAP(), it == blocks.end() ? 0 : it->second) << type;
    }
    bytes[1 + 2] = 211;  // KLT_NTRDY has no block
    EXPECT_EQ(packet->get_offset_EAP(), 0);
}
