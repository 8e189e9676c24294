// The test-call line: "<< пакет  <ИМЯ>: <поля> <блок>", Windows-1251.
#include <cstdio>

#include "code_name.h"
#include "cp1251.h"
#include "eap/eap.h"
#include "packet/layout.h"
#include "workspace.h"

using namespace paketlog::detail;

namespace {
constexpr auto kIncoming = cp1251("<< пакет ");
constexpr auto kOutgoing = cp1251(">> пакет ");
// The prefix is 9 bytes and a blank follows it: the name starts at dst + 10.
static_assert(kIncoming.size() == 9 && kOutgoing.size() == 9, "direction prefixes are 9 bytes");
constexpr int kNameAt = 10;

constexpr auto kUnknown = cp1251("%s Неизвестный пакет Тип=0x%02X");
constexpr auto kTruncatedType = cp1251("%s Пакет обрезан: %u из %u байт");
constexpr auto kTruncated = cp1251("%s %s Пакет обрезан: %u из %u байт");

constexpr auto kDigit = cp1251("%s [%u] %s");
constexpr auto kDialNumber =
    cp1251("%s Вызваемый номер=[%s, Кат=%d, %s] Вызывающий номер=[%s,Кат=%d %s] Параметр=0x%08X %s");
constexpr auto kControlCause = cp1251("%s %s Сеанс=%u Причина:%s Параметр=0x%08X %s");
constexpr auto kControlSeance = cp1251("%s %s Сеанс=%u Параметр=0x%08X %s");
constexpr auto kControl = cp1251("%s %s Параметр=0x%08X %s");
constexpr auto kCallingNum = cp1251("%s Номер=[%s,Кат=%d %s] Параметр=0x%08X %s");
constexpr auto kChkSeance = cp1251("%s Сеанс=%u Количество=%d %s");
constexpr auto kCngSeance = cp1251("%s Сеанс=%u Новый сеанс=%u Номер=[%s,Кат=%d %s] Параметр=0x%08X %s");
constexpr auto kMoveCall = cp1251("%s Сеанс=%u Другой сеанс=%u Параметр=0x%08X %s");
constexpr auto kUser2User = cp1251("%s Команда=0x%X Параметр=0x%llX %s");
constexpr auto kRtpData = cp1251("%s RTP id=%u Назн=%u %s EAP=%d %s");
constexpr auto kConnect = cp1251("%s Тип=%s Источник=%s Параметр=0x%08X %s");

// Release (1, 131), reject (130) and channel release (140) show the session
// and the cause; hold acknowledgement (5) the session alone.
void control_line(paketlog::Workspace& ws, char* dst, int size, const char* header, unsigned char* packet,
                  const char* block) {
    const unsigned char control = packet[10];
    const char* name = get_name_control(control, true);
    const unsigned seance = u32_at(packet, 6);
    const unsigned param = u32_at(packet, 15);
    switch (control) {
    case 1: case 130: case 131: case 140:
        std::snprintf(dst, size, kControlCause.s, header, name, seance,
                      cause2strTC(ws, record_at<_PD_CAUSE>(packet, 11)), param, block);
        break;
    case 5:
        std::snprintf(dst, size, kControlSeance.s, header, name, seance, param, block);
        break;
    default:
        std::snprintf(dst, size, kControl.s, header, name, param, block);
        break;
    }
}

// `limit` is the packet's length, or kTrusted when the caller gave none.
char* testcall_line(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet, std::size_t limit,
                    bool incoming) {
    if (dst == nullptr || size <= 0 || packet == nullptr || limit == 0) return nullptr;
    const char* prefix = incoming ? kIncoming.s : kOutgoing.s;
    char* const result = dst + kNameAt;
    if (limit < kTypeNeed) {
        std::snprintf(dst, size, kTruncatedType.s, prefix, static_cast<unsigned>(limit), kTypeNeed);
        return result;
    }
    const unsigned char type = packet[2];
    const char* name = find_name(KesaPaketsTC, type, nullptr);
    if (name == nullptr) {
        std::snprintf(dst, size, kUnknown.s, prefix, type);
        return result;
    }
    const unsigned need = needed_length(type);
    if (limit < need) {
        std::snprintf(dst, size, kTruncated.s, prefix, name, static_cast<unsigned>(limit), need);
        return result;
    }

    // The block first: its parameters render through the same texts as the
    // packet's own number and RTP fields, which must be the ones shown.
    const unsigned short offset = record_at<_PD_PACKET>(packet, 0)->get_offset_EAP();
    const char* block = walk_block(ws, packet, limit, offset, 160);
    char header[kHeaderSize];
    compose_header(header, prefix, name);

    switch (type) {
    case PKT_DIALDIGIT:
        std::snprintf(dst, size, kDigit.s, header, u8_at(packet, 10), block);
        break;
    case PKT_DIALNUMBER: {
        const NumberFields called = number_at(ws, packet, 10, true);
        const NumberFields calling = number_at(ws, packet, 37, false);
        std::snprintf(dst, size, kDialNumber.s, header, called.digits, called.category, called.kind, calling.digits,
                      calling.category, calling.kind, u32_at(packet, 64), block);
        break;
    }
    case PKT_CONTROL:
        control_line(ws, dst, size, header, packet, block);
        break;
    case PKT_CALLINGNUM: {
        const NumberFields calling = number_at(ws, packet, 10, false);
        std::snprintf(dst, size, kCallingNum.s, header, calling.digits, calling.category, calling.kind,
                      u32_at(packet, 37), block);
        break;
    }
    case PKT_CHK_SEANCE:
        std::snprintf(dst, size, kChkSeance.s, header, u32_at(packet, 6), int(u8_at(packet, 10)), block);
        break;
    case PKT_CNG_SEANCE: {
        const NumberFields calling = number_at(ws, packet, 14, false);
        std::snprintf(dst, size, kCngSeance.s, header, u32_at(packet, 6), u32_at(packet, 10), calling.digits,
                      calling.category, calling.kind, u32_at(packet, 41), block);
        break;
    }
    case PKT_MOVE_CALL:
        std::snprintf(dst, size, kMoveCall.s, header, u32_at(packet, 6), u32_at(packet, 10), u32_at(packet, 14),
                      block);
        break;
    case PKT_USER2USER:
        std::snprintf(dst, size, kUser2User.s, header, u32_at(packet, 10), u64_at(packet, 14), block);
        break;
    case PKT_RTP_DATA:
        std::snprintf(dst, size, kRtpData.s, header, u32_at(packet, 10), u16_at(packet, 14),
                      rtp_exch_param2str(ws, *record_at<RTP_EXCH::sRTPExchParam>(packet, 16)),
                      int(u8_at(packet, 165)), block);
        break;
    case PKT_CONNECT: {
        const char* connect_type = get_connect_type(ws, packet[10], true);
        const char* connect_source = get_connect_source(ws, packet[11], true);
        std::snprintf(dst, size, kConnect.s, header, connect_type, connect_source, u32_at(packet, 12), block);
        break;
    }
    default:  // 208 to 211: the block alone
        std::snprintf(dst, size, "%s %s", header, block);
        break;
    }
    return result;
}
}  // namespace

char* decode_paket_testcall(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet, bool incoming) {
    return testcall_line(ws, dst, size, packet, kTrusted, incoming);
}

char* decode_paket_testcall(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet,
                            unsigned short length, bool incoming) {
    return testcall_line(ws, dst, size, packet, length, incoming);
}

char* decode_paket_testcall(char* dst, int size, unsigned char* packet, bool incoming) {
    return decode_paket_testcall(g_workspace, dst, size, packet, incoming);
}

char* decode_paket_testcall(char* dst, int size, unsigned char* packet, unsigned short length, bool incoming) {
    return decode_paket_testcall(g_workspace, dst, size, packet, length, incoming);
}
