// The operator line: "<word> <NAME>:<seance>: <fields> EAP=<count> <block>".
#include <cstdio>
#include <cstring>

#include "code_name.h"
#include "eap/eap.h"
#include "packet/layout.h"
#include "workspace.h"

using namespace paketlog::detail;

char* decode_paket(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet, unsigned short length,
                   unsigned char msg_type, unsigned char skip_type) {
    if (size <= 0 || dst == nullptr) return nullptr;
    if (length == 0 || packet == nullptr) return nullptr;
    const char* word = get_msg_type_logdb(msg_type);
    char* const result = dst + std::strlen(word) + 1;
    if (length < kTypeNeed) {
        std::snprintf(dst, size, "%s Truncated packet: %u of %u bytes", word, unsigned{length}, kTypeNeed);
        return result;
    }
    const unsigned char type = packet[2];
    const char* name = find_name(KesaPakets, type, nullptr);
    if (name == nullptr) {
        std::snprintf(dst, size, "%s Unknown Pkt Type=0x%02X", word, type);
        return result;
    }
    const unsigned need = needed_length(type);
    if (length < need) {
        std::snprintf(dst, size, "%s %s: Truncated packet: %u of %u bytes", word, name, unsigned{length}, need);
        return result;
    }

    // The block first: its parameters render through the same texts as the
    // packet's own number and RTP fields, which must be the ones shown.
    const unsigned short offset = record_at<_PD_PACKET>(packet, 0)->get_offset_EAP();
    const char* block = walk_block(ws, packet, length, offset, skip_type);
    char header[kHeaderSize];
    compose_header(header, word, name, static_cast<int>(u32_at(packet, 6)));

    switch (type) {
    case PKT_DIALDIGIT:
        std::snprintf(dst, size, "%s Digit=%u EAP=%d %s", header, u8_at(packet, 10), int(u8_at(packet, 11)), block);
        break;
    case PKT_DIALNUMBER: {
        const NumberFields called = number_at(ws, packet, 10, true);
        const NumberFields calling = number_at(ws, packet, 37, false);
        std::snprintf(dst, size, "%s CalledN=%s Ka=%d %s CallingN=%s Ka=%d %s DialParam=0x%08X EAP=%d %s", header,
                      called.digits, called.category, called.kind, calling.digits, calling.category, calling.kind,
                      u32_at(packet, 64), int(u8_at(packet, 68)), block);
        break;
    }
    case PKT_CONTROL:
        std::snprintf(dst, size, "%s Control=%s Cause:%s CtrlParam=0x%08X EAP=%d %s", header,
                      get_name_control(packet[10], false), cause2str(ws, record_at<_PD_CAUSE>(packet, 11)),
                      u32_at(packet, 15), int(u8_at(packet, 19)), block);
        break;
    case PKT_CALLINGNUM: {
        const NumberFields calling = number_at(ws, packet, 10, false);
        std::snprintf(dst, size, "%s CallingN=%s Ka=%d %s DialParam=0x%08X EAP=%d %s", header, calling.digits,
                      calling.category, calling.kind, u32_at(packet, 37), int(u8_at(packet, 41)), block);
        break;
    }
    case PKT_CHK_SEANCE:
        std::snprintf(dst, size, "%s SessionCount=%d EAP=%d %s", header, int(u8_at(packet, 10)),
                      int(u8_at(packet, 11)), block);
        break;
    case PKT_CNG_SEANCE: {
        const unsigned new_seance = u32_at(packet, 10);
        const NumberFields calling = number_at(ws, packet, 14, false);
        std::snprintf(dst, size, "%s NewSeance=%u CallingN=%s Ka=%d %s ChangeParam=0x%08X EAP=%d %s", header,
                      new_seance, calling.digits, calling.category, calling.kind, u32_at(packet, 41),
                      int(u8_at(packet, 45)), block);
        break;
    }
    case PKT_MOVE_CALL:
        std::snprintf(dst, size, "%s SecondSeance=%u MoveParam=0x%08X EAP=%d %s", header, u32_at(packet, 10),
                      u32_at(packet, 14), int(u8_at(packet, 20)), block);
        break;
    case PKT_USER2USER:
        std::snprintf(dst, size, "%s Command=0x%X Param=0x%llX EAP=%d %s", header, u32_at(packet, 10),
                      u64_at(packet, 14), int(u8_at(packet, 22)), block);
        break;
    case PKT_RTP_DATA:
        std::snprintf(dst, size, "%s ID=%u Dstn=%u %s EAP=%d %s", header, u32_at(packet, 10), u16_at(packet, 14),
                      rtp_exch_param2str(ws, *record_at<RTP_EXCH::sRTPExchParam>(packet, 16)),
                      int(u8_at(packet, 165)), block);
        break;
    case PKT_CONNECT: {
        const char* connect_type = get_connect_type(ws, packet[10], false);
        const char* connect_source = get_connect_source(ws, packet[11], false);
        std::snprintf(dst, size, "%s Type=%s Source=%s Param=0x%08X EAP=%d %s", header, connect_type,
                      connect_source, u32_at(packet, 12), int(u8_at(packet, 16)), block);
        break;
    }
    default:  // 208 to 211: no fields of their own
        std::snprintf(dst, size, "%s EAP=%d %s", header, int(u8_at(packet, 10)), block);
        break;
    }
    return result;
}

char* decode_paket(char* dst, int size, unsigned char* packet, unsigned short length, unsigned char msg_type,
                   unsigned char skip_type) {
    return decode_paket(g_workspace, dst, size, packet, length, msg_type, skip_type);
}
