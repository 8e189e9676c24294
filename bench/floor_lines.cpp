#include "floor_lines.h"

#include <cstdio>
#include <stdexcept>

#include "packet/testcall_formats.h"
#include "paketlog.h"
#include "wire/packet_types.h"

namespace bench {
namespace {

// ---- operator lines, one snprintf each ------------------------------------

int op_digit(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s Digit=%u EAP=%d %s", a.header.c_str(), a.small, int(a.count), a.block.c_str());
}
int op_dialnumber(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s CalledN=%s Ka=%d %s CallingN=%s Ka=%d %s DialParam=0x%08X EAP=%d %s",
                         a.header.c_str(), a.called.c_str(), int(a.category_called), a.called_kind.c_str(),
                         a.calling.c_str(), int(a.category_calling), a.calling_kind.c_str(), a.param, int(a.count),
                         a.block.c_str());
}
int op_control(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s Control=%s Cause:%s CtrlParam=0x%08X EAP=%d %s", a.header.c_str(),
                         a.control.c_str(), a.cause.c_str(), a.param, int(a.count), a.block.c_str());
}
int op_callingnum(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s CallingN=%s Ka=%d %s DialParam=0x%08X EAP=%d %s", a.header.c_str(),
                         a.calling.c_str(), int(a.category_calling), a.calling_kind.c_str(), a.param, int(a.count),
                         a.block.c_str());
}
int op_chk_seance(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s SessionCount=%d EAP=%d %s", a.header.c_str(), int(a.small), int(a.count),
                         a.block.c_str());
}
int op_cng_seance(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s NewSeance=%u CallingN=%s Ka=%d %s ChangeParam=0x%08X EAP=%d %s", a.header.c_str(),
                         a.first, a.calling.c_str(), int(a.category_calling), a.calling_kind.c_str(), a.param,
                         int(a.count), a.block.c_str());
}
int op_move_call(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s SecondSeance=%u MoveParam=0x%08X EAP=%d %s", a.header.c_str(), a.first, a.param,
                         int(a.count), a.block.c_str());
}
int op_user2user(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s Command=0x%X Param=0x%llX EAP=%d %s", a.header.c_str(), a.first, a.user_param,
                         int(a.count), a.block.c_str());
}
int op_rtp_data(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s ID=%u Dstn=%u %s EAP=%d %s", a.header.c_str(), a.first, a.second, a.rtp.c_str(),
                         int(a.count), a.block.c_str());
}
int op_connect(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s Type=%s Source=%s Param=0x%08X EAP=%d %s", a.header.c_str(),
                         a.connect_type.c_str(), a.connect_source.c_str(), a.param, int(a.count), a.block.c_str());
}
int op_klt(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, "%s EAP=%d %s", a.header.c_str(), int(a.count), a.block.c_str());
}

// ---- test-call lines ------------------------------------------------------

// The formats are the library's own (src/packet/testcall_formats.h), so the
// floor's one snprintf is the one the library's line ends with.
using namespace paketlog::detail::testcall;

int tc_digit(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kDigit.s, a.header.c_str(), a.small, a.block.c_str());
}
int tc_dialnumber(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kDialNumber.s, a.header.c_str(), a.called.c_str(), int(a.category_called),
                         a.called_kind.c_str(), a.calling.c_str(), int(a.category_calling), a.calling_kind.c_str(),
                         a.param, a.block.c_str());
}
int tc_control_cause(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kControlCause.s, a.header.c_str(), a.control.c_str(), a.seance, a.cause.c_str(),
                         a.param, a.block.c_str());
}
int tc_control_seance(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kControlSeance.s, a.header.c_str(), a.control.c_str(), a.seance, a.param,
                         a.block.c_str());
}
int tc_control(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kControl.s, a.header.c_str(), a.control.c_str(), a.param, a.block.c_str());
}
int tc_callingnum(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kCallingNum.s, a.header.c_str(), a.calling.c_str(), int(a.category_calling),
                         a.calling_kind.c_str(), a.param, a.block.c_str());
}
int tc_chk_seance(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kChkSeance.s, a.header.c_str(), a.seance, int(a.small), a.block.c_str());
}
int tc_cng_seance(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kCngSeance.s, a.header.c_str(), a.seance, a.first, a.calling.c_str(),
                         int(a.category_calling), a.calling_kind.c_str(), a.param, a.block.c_str());
}
int tc_move_call(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kMoveCall.s, a.header.c_str(), a.seance, a.first, a.param, a.block.c_str());
}
int tc_user2user(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kUser2User.s, a.header.c_str(), a.first, a.user_param, a.block.c_str());
}
int tc_rtp_data(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kRtpData.s, a.header.c_str(), a.first, a.second, a.rtp.c_str(), int(a.count),
                         a.block.c_str());
}
int tc_connect(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kConnect.s, a.header.c_str(), a.connect_type.c_str(), a.connect_source.c_str(),
                         a.param, a.block.c_str());
}
int tc_klt(char* d, int n, const LineArgs& a) {
    return std::snprintf(d, n, kBlockOnly, a.header.c_str(), a.block.c_str());
}

// ---- arguments, rendered once by the library's own renderers --------------

paketlog::Workspace& setup_workspace() {
    static paketlog::Workspace ws{};
    return ws;
}

void numbers(LineArgs& a, _PD_NUMBER& calling, _PD_NUMBER* called = nullptr) {
    paketlog::Workspace& ws = setup_workspace();
    char text[40];
    if (called != nullptr) {
        a.called = number2str(ws, called, text, sizeof text, true);
        a.category_called = called->category;
        a.called_kind = abonenttype2str(&called->abonent_type, text, sizeof text);
    }
    a.calling = number2str(ws, &calling, text, sizeof text, false);
    a.category_calling = calling.category;
    a.calling_kind = abonenttype2str(&calling.abonent_type, text, sizeof text);
}

// The packet as its type's record (src/wire/packet_types.h).
template <typename Type>
Type& record(Bytes& p) {
    return *reinterpret_cast<Type*>(p.data());
}

// Fields both wordings share; `tc` picks the test-call names.
LineArgs common_args(const Sample& s, unsigned char skip_type, bool tc) {
    using namespace paketlog::wire;
    using paketlog::detail::load_le16;
    using paketlog::detail::load_le32;
    paketlog::Workspace& ws = setup_workspace();
    Bytes p = s.bytes;
    LineArgs a;
    const unsigned short offset = block_offset(s.type);
    a.block = decode_eap(ws, p.data(), static_cast<unsigned short>(p.size()), offset, skip_type);
    a.count = p[offset != 0 ? offset : offsetof(KltNotReady, shown_count)];
    a.seance = load_le32(&record<_PD_PACKET>(p).seance);
    switch (s.type) {
    case PKT_DIALDIGIT: a.small = record<DialDigit>(p).digit; break;
    case PKT_CHK_SEANCE: a.small = record<ChkSeance>(p).session_count; break;
    case PKT_DIALNUMBER: {
        DialNumber& r = record<DialNumber>(p);
        numbers(a, r.calling, &r.called);
        a.param = load_le32(r.dial_param);
        break;
    }
    case PKT_CONTROL: {
        Control& r = record<Control>(p);
        a.control = get_name_control(r.control, tc);
        a.cause = tc ? cause2strTC(ws, &r.cause) : cause2str(ws, &r.cause);
        a.param = load_le32(r.ctrl_param);
        break;
    }
    case PKT_CALLINGNUM: {
        CallingNum& r = record<CallingNum>(p);
        numbers(a, r.calling);
        a.param = load_le32(r.dial_param);
        break;
    }
    case PKT_CNG_SEANCE: {
        CngSeance& r = record<CngSeance>(p);
        a.first = load_le32(r.new_seance);
        numbers(a, r.calling);
        a.param = load_le32(r.change_param);
        break;
    }
    case PKT_MOVE_CALL: {
        const MoveCall& r = record<MoveCall>(p);
        a.first = load_le32(r.second_seance), a.param = load_le32(r.move_param);
        break;
    }
    case PKT_USER2USER: {
        const User2User& r = record<User2User>(p);
        a.first = load_le32(r.command), a.user_param = paketlog::detail::load_le64(r.param);
        break;
    }
    case PKT_RTP_DATA: {
        const RtpData& r = record<RtpData>(p);
        a.first = load_le32(r.id), a.second = load_le16(r.destination);
        a.rtp = rtp_exch_param2str(ws, r.rtp);
        break;
    }
    case PKT_CONNECT: {
        const Connect& r = record<Connect>(p);
        a.connect_type = get_connect_type(ws, r.connect_type, tc);
        a.connect_source = get_connect_source(ws, r.connect_source, tc);
        a.param = load_le32(r.param);
        break;
    }
    default: break;
    }
    return a;
}

}  // namespace

int BlockCalls::operator()(char* dst, int size) const {
    static const unsigned char kBinary[] = {0x01, 0xab, 0xff, 0x10, 0x00, 0x7f, 0x80, 0x42};
    int used = 0;
    if (with_endpoint_a) used += tevo_snprintf(dst + used, size - used, "%s=%s; ", "ENDPOINT_A", "sip:1001@10.0.0.1");
    used += tevo_snprintf(dst + used, size - used, "%s=%s; ", "ENDPOINT_B", "sip:2002@10.0.0.2");
    used += tevo_snprintf(dst + used, size - used, "%s=%u; ", "BUTTON", 7u);
    used += tevo_snprintf(dst + used, size - used, "%s=%s; ", "NAME_CALL", "Dispatcher 3");
    used += tevo_snprintf(dst + used, size - used, "%s=%u; ", "DMR_PRIORITY", 2u);
    used += tevo_snprintf(dst + used, size - used, "%s=%s; ", "MGCP_SEANCE", "mgcp-4711");
    used += tevo_snprintf(dst + used, size - used, "%s: ID=%u Dstn=%u %s; ", "RTP_PARAM", 3u, 1u, rtp.c_str());
    used += tevo_snprintf(dst + used, size - used, "%s=%u; ", "EDSS_ID_CALL", 123456u);
    used += tevo_snprintf(dst + used, size - used, "%s=%u:%u; ", "CAMERA_PROP", 640u, 480u);
    used += tevo_snprintf(dst + used, size - used, "%s=", "BINARY_DATA");
    for (unsigned char b : kBinary) used += tevo_snprintf(dst + used, 4, "%02x ", b);
    used += tevo_snprintf(dst + used, size - used, "%s=%s Ka=%d %s; ", "HIDE_PARAM", number.c_str(), 1, kind.c_str());
    used += tevo_snprintf(dst + used, size - used, "%s=%s; ", "ENDPOINT_TYPE", "SIP TERM");
    return used;
}

BlockCalls full_block_calls(bool with_endpoint_a) {
    paketlog::Workspace& ws = setup_workspace();
    BlockCalls b;
    b.with_endpoint_a = with_endpoint_a;
    Bytes rtp = rtp_param_value(3, 1);
    b.rtp = rtp_exch_param2str(ws, *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(rtp.data() + 6));
    Bytes number = number_record("5551234", 1, 3);
    char text[40];
    b.number = number2str(ws, reinterpret_cast<_PD_NUMBER*>(number.data()), text, sizeof text, false);
    b.kind = abonenttype2str(reinterpret_cast<SABONENT_TYPE*>(number.data()), text, sizeof text);
    return b;
}

FloorLine operator_floor(const Sample& s, unsigned char msg_type, unsigned char skip_type) {
    FloorLine f;
    f.args = common_args(s, skip_type, false);
    char header[256];
    std::snprintf(header, sizeof header, "%s %s:%4d:", get_msg_type_logdb(msg_type), get_name_paket(s.type, false),
                  static_cast<int>(f.args.seance));
    f.args.header = header;
    switch (s.type) {
    case PKT_DIALDIGIT: f.write = op_digit; break;
    case PKT_DIALNUMBER: f.write = op_dialnumber; break;
    case PKT_CONTROL: f.write = op_control; break;
    case PKT_CALLINGNUM: f.write = op_callingnum; break;
    case PKT_CHK_SEANCE: f.write = op_chk_seance; break;
    case PKT_CNG_SEANCE: f.write = op_cng_seance; break;
    case PKT_MOVE_CALL: f.write = op_move_call; break;
    case PKT_USER2USER: f.write = op_user2user; break;
    case PKT_RTP_DATA: f.write = op_rtp_data; break;
    case PKT_CONNECT: f.write = op_connect; break;
    case PKT_KLT_RDY: case PKT_KLT_REGEP: case PKT_KLT_UNREG: case PKT_KLT_NTRDY: f.write = op_klt; break;
    default: throw std::invalid_argument("not a listed packet type");
    }
    return f;
}

FloorLine testcall_floor(const Sample& s, bool incoming) {
    FloorLine f;
    f.args = common_args(s, 160, true);
    char header[256];
    std::snprintf(header, sizeof header, "%s %s:", incoming ? kIncoming.s : kOutgoing.s, get_name_paket(s.type, true));
    f.args.header = header;
    switch (s.type) {
    case PKT_DIALDIGIT: f.write = tc_digit; break;
    case PKT_DIALNUMBER: f.write = tc_dialnumber; break;
    case PKT_CONTROL: {
        const unsigned char control = s.bytes[10];
        f.write = (control == 1 || control == 130 || control == 131 || control == 140) ? tc_control_cause
                  : control == 5                                                       ? tc_control_seance
                                                                                       : tc_control;
        break;
    }
    case PKT_CALLINGNUM: f.write = tc_callingnum; break;
    case PKT_CHK_SEANCE: f.write = tc_chk_seance; break;
    case PKT_CNG_SEANCE: f.write = tc_cng_seance; break;
    case PKT_MOVE_CALL: f.write = tc_move_call; break;
    case PKT_USER2USER: f.write = tc_user2user; break;
    case PKT_RTP_DATA: f.write = tc_rtp_data; break;
    case PKT_CONNECT: f.write = tc_connect; break;
    case PKT_KLT_RDY: case PKT_KLT_REGEP: case PKT_KLT_UNREG: case PKT_KLT_NTRDY: f.write = tc_klt; break;
    default: throw std::invalid_argument("not a listed packet type");
    }
    return f;
}

}  // namespace bench
