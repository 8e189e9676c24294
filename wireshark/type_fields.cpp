// Each listed type's fields, placed by the packet records of the library
// (wire/packet_types.h): one list per type.
#include "type_fields.h"

#include <wsutil/inet_addr.h>

#include <cstddef>
#include <cstring>

#include "shown_text.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace ws {
namespace {

using namespace paketlog::wire;

enum class Kind { Value, Named, Number, Cause, Rtp };

struct FieldAt {
    Kind kind;
    guint at;
    int* field = nullptr;  // Value, Named
    guint length = 0;      // Value
    const value_string* names = nullptr;  // Named: its table,
    expert_field* unknown = nullptr;      // the mark of a code outside it
    const char* what = nullptr;           // and what the code is
    const NumberFields* number = nullptr;  // Number
};

constexpr guint at(std::size_t offset) { return static_cast<guint>(offset); }

const FieldAt kDialDigit[] = {{Kind::Value, at(offsetof(DialDigit, digit)), &hf.digit, 1}};
const FieldAt kDialNumber[] = {
    {Kind::Number, at(offsetof(DialNumber, called)), nullptr, 0, nullptr, nullptr, nullptr, &hf.called},
    {Kind::Number, at(offsetof(DialNumber, calling)), nullptr, 0, nullptr, nullptr, nullptr, &hf.calling},
    {Kind::Value, at(offsetof(DialNumber, dial_param)), &hf.dial_param, 4},
};
const FieldAt kControl[] = {
    {Kind::Named, at(offsetof(Control, control)), &hf.control, 1, control_names.vals, &ei.unknown_control,
     "control code"},
    {Kind::Cause, at(offsetof(Control, cause))},
    {Kind::Value, at(offsetof(Control, ctrl_param)), &hf.ctrl_param, 4},
};
const FieldAt kCallingNum[] = {
    {Kind::Number, at(offsetof(CallingNum, calling)), nullptr, 0, nullptr, nullptr, nullptr, &hf.calling},
    {Kind::Value, at(offsetof(CallingNum, dial_param)), &hf.dial_param, 4},
};
const FieldAt kChkSeance[] = {{Kind::Value, at(offsetof(ChkSeance, session_count)), &hf.session_count, 1}};
const FieldAt kCngSeance[] = {
    {Kind::Value, at(offsetof(CngSeance, new_seance)), &hf.new_seance, 4},
    {Kind::Number, at(offsetof(CngSeance, calling)), nullptr, 0, nullptr, nullptr, nullptr, &hf.calling},
    {Kind::Value, at(offsetof(CngSeance, change_param)), &hf.change_param, 4},
};
const FieldAt kMoveCall[] = {
    {Kind::Value, at(offsetof(MoveCall, second_seance)), &hf.second_seance, 4},
    {Kind::Value, at(offsetof(MoveCall, move_param)), &hf.move_param, 4},
};
const FieldAt kUser2User[] = {
    {Kind::Value, at(offsetof(User2User, command)), &hf.u2u_command, 4},
    {Kind::Value, at(offsetof(User2User, param)), &hf.u2u_param, 8},
};
const FieldAt kRtpData[] = {{Kind::Rtp, at(offsetof(RtpData, id))}};
static_assert(offsetof(RtpData, rtp) - offsetof(RtpData, id) == detail::kRtpOffset,
              "RTP_DATA and RTP_PARAM lay out their ID, destination and record alike");
const FieldAt kConnect[] = {
    {Kind::Named, at(offsetof(Connect, connect_type)), &hf.connect_type, 1, connect_type_names.vals,
     &ei.unknown_connect_type, "connection type"},
    {Kind::Named, at(offsetof(Connect, connect_source)), &hf.connect_source, 1, connect_source_names.vals,
     &ei.unknown_connect_source, "connection source"},
    {Kind::Value, at(offsetof(Connect, param)), &hf.connect_param, 4},
};

struct TypeFields {
    guint8 type;
    const FieldAt* fields;
    std::size_t count;
};

template <std::size_t N>
constexpr TypeFields of(guint8 type, const FieldAt (&fields)[N]) {
    return {type, fields, N};
}

// Types 208 to 211 carry no field of their own.
const TypeFields kTypes[] = {
    of(PKT_DIALDIGIT, kDialDigit), of(PKT_DIALNUMBER, kDialNumber), of(PKT_CONTROL, kControl),
    of(PKT_CALLINGNUM, kCallingNum), of(PKT_CHK_SEANCE, kChkSeance), of(PKT_CNG_SEANCE, kCngSeance),
    of(PKT_MOVE_CALL, kMoveCall), of(PKT_USER2USER, kUser2User), of(PKT_RTP_DATA, kRtpData),
    of(PKT_CONNECT, kConnect),
};

void dissect_cause(tvbuff_t* tvb, proto_tree* tree, guint at) {
    proto_item* item = proto_tree_add_item(tree, hf.cause, tvb, at, sizeof(_PD_CAUSE), ENC_NA);
    proto_tree* cause = proto_item_add_subtree(item, ett.cause);
    proto_tree_add_item(cause, hf.cause_location, tvb, at + offsetof(_PD_CAUSE, location), 1, ENC_NA);
    proto_tree_add_item(cause, hf.cause_source, tvb, at + offsetof(_PD_CAUSE, source), 1, ENC_NA);
    proto_tree_add_item(cause, hf.cause_code, tvb, at + offsetof(_PD_CAUSE, code), 1, ENC_NA);
    proto_tree_add_item(cause, hf.cause_cause, tvb, at + offsetof(_PD_CAUSE, cause), 1, ENC_NA);
}

}  // namespace

proto_item* add_named(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, int field, guint at, guint8 code,
                      const value_string* names, expert_field* unknown, const char* what) {
    proto_item* item = proto_tree_add_item(tree, field, tvb, at, 1, ENC_NA);
    if (try_val_to_str(code, names) == nullptr)
        expert_add_info_format(pinfo, item, unknown, "Unknown %s %u (0x%02X)", what, code, code);
    return item;
}

void add_address(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, int text_field, int ip_field,
                 const unsigned char* packet, guint at, guint width) {
    const char* text = reinterpret_cast<const char*>(packet + at);
    const std::size_t length = detail::field_strlen(text, width);
    proto_tree_add_string(tree, text_field, tvb, at, width, shown(pinfo->pool, packet + at, length));
    char copy[64];
    if (length >= sizeof copy) return;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    ws_in4_addr ip;
    if (ws_inet_pton4(copy, &ip)) proto_tree_add_ipv4(tree, ip_field, tvb, at, static_cast<gint>(length), ip);
}

void dissect_number(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet, guint at,
                    const NumberFields& f) {
    _PD_NUMBER number;
    std::memcpy(&number, packet + at, sizeof number);
    char digits[40];
    number2str(&number, digits, sizeof digits, false);  // touches no shared text when given one
    proto_item* item = proto_tree_add_string(tree, f.number, tvb, at, sizeof number, digits);
    proto_tree* sub = proto_item_add_subtree(item, ett.number);

    char kind[40];
    abonenttype2str(&number.abonent_type, kind, sizeof kind);
    proto_item* descriptor = proto_tree_add_string(sub, f.descriptor, tvb, at, sizeof(SABONENT_TYPE), kind);
    proto_tree* codes = proto_item_add_subtree(descriptor, ett.descriptor);
    const SABONENT_TYPE& d = number.abonent_type;
    add_named(tvb, pinfo, codes, f.number_type, at + offsetof(SABONENT_TYPE, number_type), d.number_type,
              number_type_names.vals, &ei.unknown_descriptor, "number type");
    add_named(tvb, pinfo, codes, f.abonent, at + offsetof(SABONENT_TYPE, abonent), d.abonent, abonent_names.vals,
              &ei.unknown_descriptor, "subscriber kind");
    add_named(tvb, pinfo, codes, f.format, at + offsetof(SABONENT_TYPE, format), d.format, format_names.vals,
              &ei.unknown_descriptor, "number format");
    add_named(tvb, pinfo, codes, f.plan, at + offsetof(SABONENT_TYPE, plan), d.plan, plan_names.vals,
              &ei.unknown_descriptor, "numbering plan");
    proto_tree_add_item(sub, f.category, tvb, at + offsetof(_PD_NUMBER, category), 1, ENC_NA);
    add_named(tvb, pinfo, sub, f.property, at + offsetof(_PD_NUMBER, property), number.property,
              property_names.vals, &ei.unknown_descriptor, "completeness");
    proto_tree_add_item(sub, f.digit_count, tvb, at + offsetof(_PD_NUMBER, digit_count), 1, ENC_NA);
    const guint shown_digits = number.digit_count < sizeof number.digits ? number.digit_count : sizeof number.digits;
    proto_tree_add_item(sub, f.digits, tvb, at + offsetof(_PD_NUMBER, digits), shown_digits, ENC_NA);
}

void dissect_rtp(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet, guint at) {
    using Record = RTP_EXCH::sRTPExchParam;
    proto_tree_add_item(tree, hf.rtp.id, tvb, at, 4, ENC_LITTLE_ENDIAN);
    proto_tree_add_item(tree, hf.rtp.destination, tvb, at + 4, 2, ENC_LITTLE_ENDIAN);
    const guint record = at + detail::kRtpOffset;
    add_address(tvb, pinfo, tree, hf.rtp.address, hf.rtp.ip, packet, record + offsetof(Record, address),
                sizeof Record::address);
    proto_tree_add_item(tree, hf.rtp.port, tvb, record + offsetof(Record, port), 2, ENC_LITTLE_ENDIAN);
    proto_tree_add_item(tree, hf.rtp.send, tvb, record + offsetof(Record, send_flag), 1, ENC_NA);
    proto_tree_add_item(tree, hf.rtp.recv, tvb, record + offsetof(Record, recv_flag), 1, ENC_NA);
}

void dissect_type_fields(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, const unsigned char* packet,
                         guint8 type) {
    for (const TypeFields& t : kTypes) {
        if (t.type != type) continue;
        for (std::size_t i = 0; i < t.count; ++i) {
            const FieldAt& f = t.fields[i];
            switch (f.kind) {
            case Kind::Value:
                proto_tree_add_item(tree, *f.field, tvb, f.at, f.length, f.length == 1 ? ENC_NA : ENC_LITTLE_ENDIAN);
                break;
            case Kind::Named:
                add_named(tvb, pinfo, tree, *f.field, f.at, packet[f.at], f.names, f.unknown, f.what);
                break;
            case Kind::Number:
                dissect_number(tvb, pinfo, tree, packet, f.at, *f.number);
                break;
            case Kind::Cause:
                dissect_cause(tvb, tree, f.at);
                break;
            case Kind::Rtp:
                dissect_rtp(tvb, pinfo, tree, packet, f.at);
                break;
            }
        }
        return;
    }
}

}  // namespace ws
}  // namespace paketlog
