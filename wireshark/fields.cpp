#include "fields.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace paketlog {
namespace ws {

Fields hf;
Subtrees ett;
Experts ei;

Names<sizeof KesaPakets / sizeof KesaPakets[0]> type_names;
Names<kParamTypes> param_names;
Names<sizeof ControlPakets / sizeof ControlPakets[0]> control_names;
Names<sizeof ConnectType / sizeof ConnectType[0]> connect_type_names;
Names<sizeof ConnectSource / sizeof ConnectSource[0]> connect_source_names;
Names<sizeof NumberTypeType / sizeof NumberTypeType[0]> number_type_names;
Names<sizeof NumberAbonentType / sizeof NumberAbonentType[0]> abonent_names;
Names<sizeof NumberFormatType / sizeof NumberFormatType[0]> format_names;
Names<sizeof PlanNumberType / sizeof PlanNumberType[0]> plan_names;
Names<sizeof NumberPropertyType / sizeof NumberPropertyType[0]> property_names;
Names<sizeof detail::kEndpointTypes / sizeof detail::kEndpointTypes[0]> endpoint_type_names;

template <std::size_t N>
void Names<N>::fill(const CODE_NAME (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        char* name = text[i];
        std::snprintf(name, sizeof text[i], "%s", rows[i].name);
        for (std::size_t n = std::strlen(name); n > 0 && name[n - 1] == ' '; --n) name[n - 1] = '\0';
        vals[i] = {rows[i].code, name};
    }
    vals[N] = {0, nullptr};
}

namespace {

#define PAKETLOG_NUMBER_FIELDS(f, label, abbrev)                                                                   \
    {&f.number, {label, abbrev, FT_STRING, BASE_NONE, nullptr, 0x0, "The digits, as the lines spell them", HFILL}}, \
    {&f.descriptor, {"Descriptor", abbrev ".descriptor", FT_STRING, BASE_NONE, nullptr, 0x0,                        \
                     "Subscriber descriptor, as the lines show it", HFILL}},                                         \
    {&f.number_type, {"Number type", abbrev ".number_type", FT_UINT8, BASE_DEC, VALS(number_type_names.vals), 0x0,  \
                      nullptr, HFILL}},                                                                              \
    {&f.abonent, {"Subscriber", abbrev ".abonent", FT_UINT8, BASE_DEC, VALS(abonent_names.vals), 0x0,              \
                  "Local or remote subscriber", HFILL}},                                                             \
    {&f.format, {"Format", abbrev ".format", FT_UINT8, BASE_DEC, VALS(format_names.vals), 0x0, nullptr, HFILL}},   \
    {&f.plan, {"Numbering plan", abbrev ".plan", FT_UINT8, BASE_DEC, VALS(plan_names.vals), 0x0, nullptr, HFILL}}, \
    {&f.category, {"Category", abbrev ".category", FT_UINT8, BASE_DEC, nullptr, 0x0, "Shown as Ka=", HFILL}},      \
    {&f.property, {"Completeness", abbrev ".property", FT_UINT8, BASE_DEC, VALS(property_names.vals), 0x0,         \
                   nullptr, HFILL}},                                                                                 \
    {&f.digit_count, {"Digit count", abbrev ".digit_count", FT_UINT8, BASE_DEC, nullptr, 0x0, nullptr, HFILL}},    \
    {&f.digits, {"Digit codes", abbrev ".digits", FT_BYTES, BASE_NONE, nullptr, 0x0,                               \
                 "The digits' codes, as many as the count says (at most 20)", HFILL}}

hf_register_info fixed_fields[] = {
    {&hf.line, {"Line", "paketlog.line", FT_STRING, BASE_NONE, nullptr, 0x0,
                "Operator line, as the paketlog command prints it", HFILL}},
    {&hf.testcall, {"Test-call line", "paketlog.testcall", FT_STRING, BASE_NONE, nullptr, 0x0,
                    "Test-call line, converted from Windows-1251", HFILL}},
    {&hf.type, {"Type", "paketlog.type", FT_UINT8, BASE_DEC, VALS(type_names.vals), 0x0, "Packet type", HFILL}},
    {&hf.seance, {"Seance", "paketlog.seance", FT_UINT32, BASE_DEC, nullptr, 0x0, nullptr, HFILL}},
    {&hf.eap_count, {"Additional parameters", "paketlog.eap_count", FT_UINT8, BASE_DEC, nullptr, 0x0,
                     "Count byte of the additional-parameter block", HFILL}},
    {&hf.digit, {"Digit", "paketlog.digit", FT_UINT8, BASE_DEC, nullptr, 0x0, "DIALDIGIT: the digit's code", HFILL}},
    PAKETLOG_NUMBER_FIELDS(hf.called, "Called number", "paketlog.called"),
    PAKETLOG_NUMBER_FIELDS(hf.calling, "Calling number", "paketlog.calling"),
    {&hf.dial_param, {"Dial parameter", "paketlog.dial_param", FT_UINT32, BASE_HEX, nullptr, 0x0,
                      "DIALNUMBER and CALLINGNUM", HFILL}},
    {&hf.control, {"Control", "paketlog.control", FT_UINT8, BASE_DEC, VALS(control_names.vals), 0x0,
                   "CONTROL: the control code", HFILL}},
    {&hf.cause, {"Cause", "paketlog.cause", FT_NONE, BASE_NONE, nullptr, 0x0, "CONTROL: the cause record", HFILL}},
    {&hf.cause_location, {"Location", "paketlog.cause.location", FT_UINT8, BASE_DEC, nullptr, 0x0, "Loc=", HFILL}},
    {&hf.cause_source, {"Source", "paketlog.cause.source", FT_UINT8, BASE_DEC, nullptr, 0x0, "Src=", HFILL}},
    {&hf.cause_code, {"Code", "paketlog.cause.code", FT_UINT8, BASE_DEC, nullptr, 0x0, "Code=", HFILL}},
    {&hf.cause_cause, {"Cause value", "paketlog.cause.cause", FT_UINT8, BASE_DEC, nullptr, 0x0, "Cause=", HFILL}},
    {&hf.ctrl_param, {"Control parameter", "paketlog.ctrl_param", FT_UINT32, BASE_HEX, nullptr, 0x0, nullptr,
                      HFILL}},
    {&hf.session_count, {"Session count", "paketlog.session_count", FT_UINT8, BASE_DEC, nullptr, 0x0,
                         "CHK_SEANCE", HFILL}},
    {&hf.new_seance, {"New seance", "paketlog.new_seance", FT_UINT32, BASE_DEC, nullptr, 0x0, "CNG_SEANCE", HFILL}},
    {&hf.change_param, {"Change parameter", "paketlog.change_param", FT_UINT32, BASE_HEX, nullptr, 0x0,
                        "CNG_SEANCE", HFILL}},
    {&hf.second_seance, {"Second seance", "paketlog.second_seance", FT_UINT32, BASE_DEC, nullptr, 0x0, "MOVE_CALL",
                         HFILL}},
    {&hf.move_param, {"Move parameter", "paketlog.move_param", FT_UINT32, BASE_HEX, nullptr, 0x0, "MOVE_CALL",
                      HFILL}},
    {&hf.u2u_command, {"Command", "paketlog.u2u.command", FT_UINT32, BASE_HEX, nullptr, 0x0, "USER2USER", HFILL}},
    {&hf.u2u_param, {"Parameter", "paketlog.u2u.param", FT_UINT64, BASE_HEX, nullptr, 0x0, "USER2USER", HFILL}},
    {&hf.rtp.id, {"RTP ID", "paketlog.rtp.id", FT_UINT32, BASE_DEC, nullptr, 0x0, "RTP_DATA and RTP_PARAM", HFILL}},
    {&hf.rtp.destination, {"Destination", "paketlog.rtp.destination", FT_UINT16, BASE_DEC, nullptr, 0x0, "Dstn=",
                           HFILL}},
    {&hf.rtp.address, {"Address", "paketlog.rtp.address", FT_STRING, BASE_NONE, nullptr, 0x0,
                       "The RTP record's address text", HFILL}},
    {&hf.rtp.ip, {"IPv4 address", "paketlog.rtp.ip", FT_IPv4, BASE_NONE, nullptr, 0x0,
                  "The RTP record's address, where its text is a dotted IPv4 address", HFILL}},
    {&hf.rtp.port, {"Port", "paketlog.rtp.port", FT_UINT16, BASE_DEC, nullptr, 0x0, nullptr, HFILL}},
    {&hf.rtp.send, {"Send", "paketlog.rtp.send", FT_UINT8, BASE_DEC, nullptr, 0x0,
                    "Send flag: the line shows 's' when it is not 0", HFILL}},
    {&hf.rtp.recv, {"Receive", "paketlog.rtp.recv", FT_UINT8, BASE_DEC, nullptr, 0x0,
                    "Receive flag: the line shows 'r' when it is not 0", HFILL}},
    {&hf.connect_type, {"Connection type", "paketlog.connect.type", FT_UINT8, BASE_DEC,
                        VALS(connect_type_names.vals), 0x0, "CONNECT", HFILL}},
    {&hf.connect_source, {"Connection source", "paketlog.connect.source", FT_UINT8, BASE_DEC,
                          VALS(connect_source_names.vals), 0x0, "CONNECT", HFILL}},
    {&hf.connect_param, {"Parameter", "paketlog.connect.param", FT_UINT32, BASE_HEX, nullptr, 0x0, "CONNECT",
                         HFILL}},
    {&hf.param, {"Additional parameter", "paketlog.param", FT_NONE, BASE_NONE, nullptr, 0x0, nullptr, HFILL}},
    {&hf.param_type, {"Type", "paketlog.param.type", FT_UINT8, BASE_DEC, VALS(param_names.vals), 0x0,
                      "Additional-parameter type", HFILL}},
    {&hf.param_length, {"Length", "paketlog.param.length", FT_UINT16, BASE_DEC, nullptr, 0x0,
                        "Length of the parameter's value", HFILL}},
    {&hf.param_text, {"Text", "paketlog.param.text", FT_STRING, BASE_NONE, nullptr, 0x0,
                      "The parameter as the line shows it", HFILL}},
    PAKETLOG_NUMBER_FIELDS(hf.hide_param, "HIDE_PARAM number", "paketlog.param.hide_param"),
    {&hf.video_payload, {"Codec payload type", "paketlog.video.payload", FT_UINT8, BASE_DEC, nullptr, 0x0,
                         "VIDEO_PARAM: a used codec entry's payload type", HFILL}},
    {&hf.video_codec, {"Codec", "paketlog.video.codec", FT_STRING, BASE_NONE, nullptr, 0x0,
                       "VIDEO_PARAM: a used codec entry's name", HFILL}},
    {&hf.video_address, {"Address", "paketlog.video.address", FT_STRING, BASE_NONE, nullptr, 0x0,
                         "VIDEO_PARAM: the address text", HFILL}},
    {&hf.video_ip, {"IPv4 address", "paketlog.video.ip", FT_IPv4, BASE_NONE, nullptr, 0x0,
                    "VIDEO_PARAM: the address, where its text is a dotted IPv4 address", HFILL}},
    {&hf.video_port, {"Port", "paketlog.video.port", FT_UINT16, BASE_DEC, nullptr, 0x0, "VIDEO_PARAM", HFILL}},
};

#undef PAKETLOG_NUMBER_FIELDS

// One field for each parameter type whose value is plain: text as a string,
// a number as an integer, bytes as bytes, a named code with its names.
// paketlog.param.<name in lower case>.
#define PAKETLOG_PARAM_ROW(code, name, layout) {name, detail::Layout::layout},
struct ParamRow {
    const char* name;
    detail::Layout layout;
};
constexpr ParamRow kParamRows[] = {PAKETLOG_PARAM_TYPES(PAKETLOG_PARAM_ROW)};
#undef PAKETLOG_PARAM_ROW
static_assert(sizeof kParamRows / sizeof kParamRows[0] == kParamTypes, "a row per parameter type");

hf_register_info param_fields[kParamTypes];
char param_abbrevs[kParamTypes][48];

std::size_t fill_param_fields() {
    std::size_t n = 0;
    for (std::size_t i = 0; i < kParamTypes; ++i) {
        const ParamRow& row = kParamRows[i];
        enum ftenum type;
        const void* strings = nullptr;
        switch (row.layout) {
        case detail::Layout::Text: type = FT_STRING; break;
        case detail::Layout::U8: type = FT_UINT8; break;
        case detail::Layout::U32: case detail::Layout::U32Pair: type = FT_UINT32; break;
        case detail::Layout::Binary: type = FT_BYTES; break;
        case detail::Layout::EndpointType: type = FT_UINT8; strings = VALS(endpoint_type_names.vals); break;
        default: continue;  // Rtp, Video and Number have fields of their own; Silent shows nothing
        }
        char* abbrev = param_abbrevs[i];
        int used = std::snprintf(abbrev, sizeof param_abbrevs[i], "paketlog.param.");
        for (const char* c = row.name; *c != '\0' && used + 1 < static_cast<int>(sizeof param_abbrevs[i]); ++c)
            abbrev[used++] = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        abbrev[used] = '\0';
        const int base = type == FT_STRING || type == FT_BYTES ? BASE_NONE : BASE_DEC;
        param_fields[n++] = {&hf.param_value[i],
                             {row.name, abbrev, type, base, strings, 0x0, "The parameter's value", HFILL}};
    }
    return n;
}

gint* subtrees[] = {&ett.packet, &ett.param, &ett.number, &ett.descriptor, &ett.cause, &ett.rtp, &ett.video};

ei_register_info experts[] = {
    {&ei.truncated, {"paketlog.truncated", PI_MALFORMED, PI_ERROR, "Truncated packet", EXPFILL}},
    {&ei.block_cut, {"paketlog.block_cut", PI_MALFORMED, PI_WARN, "Additional-parameter block cut", EXPFILL}},
    {&ei.empty, {"paketlog.empty", PI_MALFORMED, PI_ERROR, "empty packet", EXPFILL}},
    {&ei.too_long, {"paketlog.too_long", PI_MALFORMED, PI_ERROR, "packet longer than 65535 bytes", EXPFILL}},
    {&ei.unknown_type, {"paketlog.unknown_type", PI_UNDECODED, PI_WARN, "Unknown packet type", EXPFILL}},
    {&ei.unknown_control, {"paketlog.unknown_control", PI_UNDECODED, PI_WARN, "Unknown control code", EXPFILL}},
    {&ei.unknown_connect_type,
     {"paketlog.unknown_connect_type", PI_UNDECODED, PI_WARN, "Unknown connection type", EXPFILL}},
    {&ei.unknown_connect_source,
     {"paketlog.unknown_connect_source", PI_UNDECODED, PI_WARN, "Unknown connection source", EXPFILL}},
    {&ei.unknown_param_type,
     {"paketlog.unknown_param_type", PI_UNDECODED, PI_WARN, "Unknown additional-parameter type", EXPFILL}},
    {&ei.unknown_descriptor,
     {"paketlog.unknown_descriptor", PI_UNDECODED, PI_NOTE, "Descriptor code outside its table", EXPFILL}},
};

}  // namespace

void register_fields(int proto) {
    type_names.fill(KesaPakets);
    param_names.fill(AddParamPakets);
    control_names.fill(ControlPakets);
    connect_type_names.fill(ConnectType);
    connect_source_names.fill(ConnectSource);
    number_type_names.fill(NumberTypeType);
    abonent_names.fill(NumberAbonentType);
    format_names.fill(NumberFormatType);
    plan_names.fill(PlanNumberType);
    property_names.fill(NumberPropertyType);
    endpoint_type_names.fill(detail::kEndpointTypes);

    proto_register_field_array(proto, fixed_fields, array_length(fixed_fields));
    proto_register_field_array(proto, param_fields, static_cast<int>(fill_param_fields()));
    proto_register_subtree_array(subtrees, array_length(subtrees));
    expert_register_field_array(expert_register_protocol(proto), experts, array_length(experts));
}

}  // namespace ws
}  // namespace paketlog
