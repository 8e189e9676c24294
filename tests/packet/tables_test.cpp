// Exported tables row by row (corpus lines show only some rows), lookups
// that find no row, and where each packet type's block begins.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bytes.h"
#include "paketlog.h"

namespace {
template <std::size_t N>
std::string joined(const CODE_NAME (&table)[N], bool names) {
    std::string s;
    for (const CODE_NAME& row : table) s += (names ? std::string(row.name) : std::to_string(row.code)) + "|";
    return s;
}
}  // namespace

TEST(Tables, EveryRowInStoredOrder) {
    const std::string packets = "128|129|130|132|136|138|140|144|145|141|208|209|210|211|";
    const std::string controls = "1|2|3|4|5|6|10|11|16|20|23|24|25|31|32|33|34|37|38|48|53|54|128|129|130|131|132|133|"
                                 "134|135|138|139|140|144|145|146|";
    const std::pair<std::string, std::string> tables[] = {  // names in UTF-8, stored in Windows-1251
        {joined(KesaPakets, false) + joined(KesaPaketsTC, false), packets + packets},
        {joined(ControlPakets, false) + joined(ControlPaketsTC, false), controls + controls},
        {joined(ConnectType, false) + joined(ConnectTypeTC, false) + joined(ConnectSource, false) +
             joined(ConnectSourceTC, false),
         "0|1|2|3|0|1|2|3|0|1|2|3|4|10|0|1|2|3|4|10|"},
        {joined(ControlPakets, true),
         "toFB_CTRL_DOBYE|toFB_CTRL_KPV|toFB_CTRL_ESTABLISHED|toFB_CTRL_OKCALL|toFB_CTRL_OKHOLD|toFB_CTRL_NOKPV|"
         "toFB_CTRL_TANGENTA_ON|toFB_CTRL_TANGENTA_OFF|toFB_GET_RTP_DATA|toFB_CTRL_CHANGESESS|toFB_CTRL_SETHOLD|"
         "toFB_CTRL_RESETHOLD|toFB_CTRL_CONFERENCE_OK|toFB_CTRL_B_BUSY|toFB_CTRL_B_FREE|toFB_CTRL_PROGRESS|"
         "toFB_CALL_PROCEEDING|toFB_NOT_END_DIGIT|toFB_END_DIGIT|toFB_ADDCAPABILITY_STATUS|toFB_CTRL_ANOTHER_SETHOLD|"
         "toFB_CTRL_ANOTHER_RESETHOLD|frFB_CTRL_HOLD|frFB_CTRL_ESTABLISH|frFB_CTRL_REJECT|frFB_CTRL_BYE|"
         "frFB_CTRL_OKCALL|frFB_CTRL_KPV|frFB_CTRL_NOKPV|frFB_CTRL_PROGRESS|frFB_CTRL_TANGENTA_ON|"
         "frFB_CTRL_TANGENTA_OFF|frFB_CTRL_RELEASEHLD|frFB_ADDCAPABILITY_REQUEST|frFB_CTRL_SETHOLD|frFB_CTRL_RESETHOLD|"},
        {joined(ControlPaketsTC, true),
         "Отбой|КПВ|Установление соединения|Подтверждение вызова|Подтверждение захвата|Без КПВ|Тангента нажата|"
         "Тангента отпущена|Запрос RTP|Смена сеанса|Подтверждение установки удержания|Подтверждение снятия удержания|"
         "Подтверждение создания конференции|Абонент Б занят|Абонент Б свободен|Вызов обрабатывается|"
         "Вызов взят в обработку|Не последняя цифра|Последняя цифра|Статус доп.услуги|Абонент установлен в удержание|"
         "Абонент снят с удержания|Захват канала|Установление соединения|Вызов отклонен|Отбой|Подтверждение вызова|"
         "КПВ|Без КПВ|Вызов обрабатывается|Тангента нажата|Тангента отпущена|Освобождение канала|Запрос доп.услуги|"
         "Установить удержание|Снять удержание|"},
        {joined(ConnectType, true) + joined(ConnectTypeTC, true),
         "DISCONNECT|SEND_ONLY |RECV_ONLY |SEND_RECV |ОТКЛЮЧЕН|ПЕРЕДАЧА|ПРИЁМ|ПРИЁМ+ПЕРЕДАЧА|"},
        {joined(ConnectSource, true) + joined(ConnectSourceTC, true),
         "NONE    |DIALtone|KPV tone|BUSYtone|SILENT  |RTP chnl|Раскоммутация|Ответ станции|Сигнал КПВ|Сигнал ОТБОЙ|"
         "Тишина|RTP канал|"},
        {joined(NumberPropertyType, false) + joined(NumberPropertyType, true), "0|1|2|3|Undef|Empty|Part |Full |"},
        {joined(AddParamPakets, true),
         "ENDPOINT_A|ENDPOINT_B|BUTTON|NAME_CALL|EIRINE_NUM|DMR_PRIORITY|ANOTHER_ABONENT_PARAM|MGCP_SEANCE|RTP_PARAM|"
         "EDSS_ID_CALL|ENDPOINT_C|SESSION_LIST|CAMERA_PROP|BINARY_DATA|VIDEO_PARAM|HIDE_PARAM|HIDE_NAME|"
         "ENDPOINT_TYPE|REDIRECT_NUMBER|ADDCAPABILITY|UNKNOWN|"},
    };
    for (const auto& t : tables) EXPECT_EQ(t.first, testing_support::w1251(t.second));
}

TEST(Tables, LookupsPastTheRows) {
    EXPECT_STREQ(get_description_by_type(4, 3), "Full ");  // kind 4 has a count of its own
    EXPECT_STREQ(get_description_by_type(4, 4), "");
    EXPECT_STREQ(get_description_by_type(5, 0), "");
    for (bool tc : {false, true})
        for (unsigned char code : {0, 131, 146, 212, 255}) EXPECT_STREQ(get_name_paket(code, tc), "???");
    for (unsigned char code : {159, 181}) EXPECT_EQ(get_name_add_param(code), nullptr);
}

TEST(PacketRecord, OffsetOfParameterBlock) {
    const std::map<int, unsigned short> blocks = {{128, 11}, {129, 68}, {130, 19}, {132, 41}, {136, 11},
                                                  {138, 45}, {140, 20}, {141, 22}, {144, 165}, {145, 16},
                                                  {208, 10}, {209, 10}, {210, 10}};  // 211 too has none
    // Every other header byte set, the record at an odd address: only `type` decides.
    std::vector<unsigned char> bytes(1 + sizeof(_PD_PACKET), 0xFF);
    for (int type = 0; type < 256; ++type) {
        bytes[1 + 2] = static_cast<unsigned char>(type);
        const auto it = blocks.find(type);
        EXPECT_EQ(reinterpret_cast<const _PD_PACKET*>(&bytes[1])->get_offset_EAP(),
                  it == blocks.end() ? 0 : it->second) << type;
    }
}
