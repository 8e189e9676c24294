// The test-call line: "<< пакет  <ИМЯ>: <поля> <блок>", Windows-1251.
#include <cstdio>
#include <iterator>

#include "packet/layout.h"
#include "packet/testcall_formats.h"
#include "wire/block_walk.h"
#include "workspace.h"

using namespace paketlog::detail;
using namespace paketlog::wire;

namespace {
using namespace paketlog::detail::testcall;

// The prefix is 9 bytes and a blank follows it: the name starts at dst + 10.
static_assert(kIncoming.size() == 9 && kOutgoing.size() == 9, "direction prefixes are 9 bytes");
constexpr int kNameAt = 10;

// Release (1, 131), reject (130) and channel release (140) show the session
// and the cause; hold acknowledgement (5) the session alone.
void control_line(paketlog::Workspace& ws, char* dst, int size, const char* header, Control& r, const char* block) {
    const char* name = get_name_control(r.control, true);
    const unsigned seance = load_le32(&r.header.seance);
    const unsigned param = load_le32(r.ctrl_param);
    switch (r.control) {
    case 1: case 130: case 131: case 140:
        std::snprintf(dst, size, kControlCause.s, header, name, seance, cause2strTC(ws, &r.cause), param, block);
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
    // Parameter type 160 (ENDPOINT_A) never shows on this line.
    const LineStart start = {prefix, KesaPaketsTC, std::size(KesaPaketsTC), kTruncatedType.s, kUnknown.s,
                             kTruncated.s, 160};
    OpenedPacket p;
    if (!open_packet(ws, dst, size, packet, limit, start, p)) return result;
    const char* block = p.block;
    char header[kHeaderSize];
    compose_header(header, prefix, p.name);
    const unsigned seance = load_le32(&record<_PD_PACKET>(packet).seance);

    switch (p.type) {
    case PKT_DIALDIGIT:
        std::snprintf(dst, size, kDigit.s, header, unsigned{record<DialDigit>(packet).digit}, block);
        break;
    case PKT_DIALNUMBER: {
        DialNumber& r = record<DialNumber>(packet);
        const NumberFields called = number_fields(ws, r.called, true);
        const NumberFields calling = number_fields(ws, r.calling, false);
        std::snprintf(dst, size, kDialNumber.s, header, called.digits, called.category, called.kind, calling.digits,
                      calling.category, calling.kind, load_le32(r.dial_param), block);
        break;
    }
    case PKT_CONTROL:
        control_line(ws, dst, size, header, record<Control>(packet), block);
        break;
    case PKT_CALLINGNUM: {
        CallingNum& r = record<CallingNum>(packet);
        const NumberFields calling = number_fields(ws, r.calling, false);
        std::snprintf(dst, size, kCallingNum.s, header, calling.digits, calling.category, calling.kind,
                      load_le32(r.dial_param), block);
        break;
    }
    case PKT_CHK_SEANCE:
        std::snprintf(dst, size, kChkSeance.s, header, seance, int{record<ChkSeance>(packet).session_count}, block);
        break;
    case PKT_CNG_SEANCE: {
        CngSeance& r = record<CngSeance>(packet);
        const NumberFields calling = number_fields(ws, r.calling, false);
        std::snprintf(dst, size, kCngSeance.s, header, seance, load_le32(r.new_seance), calling.digits,
                      calling.category, calling.kind, load_le32(r.change_param), block);
        break;
    }
    case PKT_MOVE_CALL: {
        const MoveCall& r = record<MoveCall>(packet);
        std::snprintf(dst, size, kMoveCall.s, header, seance, load_le32(r.second_seance), load_le32(r.move_param),
                      block);
        break;
    }
    case PKT_USER2USER: {
        const User2User& r = record<User2User>(packet);
        std::snprintf(dst, size, kUser2User.s, header, load_le32(r.command), load_le64(r.param), block);
        break;
    }
    case PKT_RTP_DATA: {
        const RtpData& r = record<RtpData>(packet);
        std::snprintf(dst, size, kRtpData.s, header, load_le32(r.id), unsigned{load_le16(r.destination)},
                      rtp_exch_param2str(ws, r.rtp), int{r.block}, block);
        break;
    }
    case PKT_CONNECT: {
        const Connect& r = record<Connect>(packet);
        const char* connect_type = get_connect_type(ws, r.connect_type, true);
        const char* connect_source = get_connect_source(ws, r.connect_source, true);
        std::snprintf(dst, size, kConnect.s, header, connect_type, connect_source, load_le32(r.param), block);
        break;
    }
    default:  // 208 to 211: the block alone
        std::snprintf(dst, size, kBlockOnly, header, block);
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
