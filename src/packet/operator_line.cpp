// The operator line: "<word> <NAME>:<seance>: <fields> EAP=<count> <block>".
#include <cstdio>
#include <cstring>
#include <iterator>

#include "packet/layout.h"
#include "workspace.h"

using namespace paketlog::detail;
using namespace paketlog::wire;

char* decode_paket(paketlog::Workspace& ws, char* dst, int size, unsigned char* packet, unsigned short length,
                   unsigned char msg_type, unsigned char skip_type) {
    if (size <= 0 || dst == nullptr) return nullptr;
    if (length == 0 || packet == nullptr) return nullptr;
    const char* word = get_msg_type_logdb(msg_type);
    char* const result = dst + std::strlen(word) + 1;
    const LineStart start = {word,
                             KesaPakets,
                             std::size(KesaPakets),
                             "%s Truncated packet: %u of %u bytes",
                             "%s Unknown Pkt Type=0x%02X",
                             "%s %s: Truncated packet: %u of %u bytes",
                             skip_type};
    OpenedPacket p;
    if (!open_packet(ws, dst, size, packet, length, start, p)) return result;
    const char* block = p.block;
    char header[kHeaderSize];
    compose_header(header, word, p.name, static_cast<int>(load_le32(&record<_PD_PACKET>(packet).seance)));

    switch (p.type) {
    case PKT_DIALDIGIT: {
        const DialDigit& r = record<DialDigit>(packet);
        std::snprintf(dst, size, "%s Digit=%u EAP=%d %s", header, unsigned{r.digit}, int{r.block}, block);
        break;
    }
    case PKT_DIALNUMBER: {
        DialNumber& r = record<DialNumber>(packet);
        const NumberFields called = number_fields(ws, r.called, true);
        const NumberFields calling = number_fields(ws, r.calling, false);
        std::snprintf(dst, size, "%s CalledN=%s Ka=%d %s CallingN=%s Ka=%d %s DialParam=0x%08X EAP=%d %s", header,
                      called.digits, called.category, called.kind, calling.digits, calling.category, calling.kind,
                      load_le32(r.dial_param), int{r.block}, block);
        break;
    }
    case PKT_CONTROL: {
        Control& r = record<Control>(packet);
        std::snprintf(dst, size, "%s Control=%s Cause:%s CtrlParam=0x%08X EAP=%d %s", header,
                      get_name_control(r.control, false), cause2str(ws, &r.cause), load_le32(r.ctrl_param),
                      int{r.block}, block);
        break;
    }
    case PKT_CALLINGNUM: {
        CallingNum& r = record<CallingNum>(packet);
        const NumberFields calling = number_fields(ws, r.calling, false);
        std::snprintf(dst, size, "%s CallingN=%s Ka=%d %s DialParam=0x%08X EAP=%d %s", header, calling.digits,
                      calling.category, calling.kind, load_le32(r.dial_param), int{r.block}, block);
        break;
    }
    case PKT_CHK_SEANCE: {
        const ChkSeance& r = record<ChkSeance>(packet);
        std::snprintf(dst, size, "%s SessionCount=%d EAP=%d %s", header, int{r.session_count}, int{r.block}, block);
        break;
    }
    case PKT_CNG_SEANCE: {
        CngSeance& r = record<CngSeance>(packet);
        const NumberFields calling = number_fields(ws, r.calling, false);
        std::snprintf(dst, size, "%s NewSeance=%u CallingN=%s Ka=%d %s ChangeParam=0x%08X EAP=%d %s", header,
                      load_le32(r.new_seance), calling.digits, calling.category, calling.kind,
                      load_le32(r.change_param), int{r.block}, block);
        break;
    }
    case PKT_MOVE_CALL: {
        const MoveCall& r = record<MoveCall>(packet);
        std::snprintf(dst, size, "%s SecondSeance=%u MoveParam=0x%08X EAP=%d %s", header, load_le32(r.second_seance),
                      load_le32(r.move_param), int{r.block}, block);
        break;
    }
    case PKT_USER2USER: {
        const User2User& r = record<User2User>(packet);
        std::snprintf(dst, size, "%s Command=0x%X Param=0x%llX EAP=%d %s", header, load_le32(r.command),
                      load_le64(r.param), int{r.block}, block);
        break;
    }
    case PKT_RTP_DATA: {
        const RtpData& r = record<RtpData>(packet);
        std::snprintf(dst, size, "%s ID=%u Dstn=%u %s EAP=%d %s", header, load_le32(r.id),
                      unsigned{load_le16(r.destination)}, rtp_exch_param2str(ws, r.rtp), int{r.block}, block);
        break;
    }
    case PKT_CONNECT: {
        const Connect& r = record<Connect>(packet);
        const char* connect_type = get_connect_type(ws, r.connect_type, false);
        const char* connect_source = get_connect_source(ws, r.connect_source, false);
        std::snprintf(dst, size, "%s Type=%s Source=%s Param=0x%08X EAP=%d %s", header, connect_type,
                      connect_source, load_le32(r.param), int{r.block}, block);
        break;
    }
    default:  // 208 to 211: no fields of their own; 211 shows its byte 10 as the count
        std::snprintf(dst, size, "%s EAP=%d %s", header, int{record<KltState>(packet).block}, block);
        break;
    }
    return result;
}

char* decode_paket(char* dst, int size, unsigned char* packet, unsigned short length, unsigned char msg_type,
                   unsigned char skip_type) {
    return decode_paket(g_workspace, dst, size, packet, length, msg_type, skip_type);
}
