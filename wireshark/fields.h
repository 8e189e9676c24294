// The dissector's fields, subtrees and expert infos, and the value strings
// made from the library's name tables: registered together, once.
#ifndef PAKETLOG_WIRESHARK_FIELDS_H
#define PAKETLOG_WIRESHARK_FIELDS_H

#include <epan/expert.h>
#include <epan/packet.h>

#include <cstddef>

#include "eap/param_types.h"
#include "paketlog.h"

namespace paketlog {
namespace ws {

// A number record: the digits as the lines spell them, its descriptor and the rest.
struct NumberFields {
    int number = -1;
    int descriptor = -1;
    int number_type = -1;
    int abonent = -1;
    int format = -1;
    int plan = -1;
    int category = -1;
    int property = -1;
    int digit_count = -1;
    int digits = -1;
};

// An RTP record after its ID and destination (RTP_DATA and RTP_PARAM).
struct RtpFields {
    int id = -1;
    int destination = -1;
    int address = -1;
    int ip = -1;
    int port = -1;
    int send = -1;
    int recv = -1;
};

constexpr std::size_t kParamTypes = sizeof AddParamPakets / sizeof AddParamPakets[0];

struct Fields {
    int line = -1, testcall = -1, type = -1, seance = -1, eap_count = -1;
    int digit = -1, dial_param = -1;
    int control = -1, cause = -1, cause_location = -1, cause_source = -1, cause_code = -1, cause_cause = -1;
    int ctrl_param = -1, session_count = -1, new_seance = -1, change_param = -1;
    int second_seance = -1, move_param = -1, u2u_command = -1, u2u_param = -1;
    int connect_type = -1, connect_source = -1, connect_param = -1;
    NumberFields called, calling, hide_param;
    RtpFields rtp;
    int param = -1, param_type = -1, param_length = -1, param_text = -1;
    int video_payload = -1, video_codec = -1, video_address = -1, video_ip = -1, video_port = -1;
    // The value of each parameter type with a plain value (text, number,
    // bytes, a named code); -1 for the types shown by the fields above or
    // by none.
    int param_value[kParamTypes];
    Fields() {
        for (int& f : param_value) f = -1;
    }
};

struct Subtrees {
    gint packet = -1, param = -1, number = -1, descriptor = -1, cause = -1, rtp = -1, video = -1;
};

struct Experts {
    expert_field truncated = EI_INIT;
    expert_field block_cut = EI_INIT;
    expert_field empty = EI_INIT;
    expert_field too_long = EI_INIT;
    expert_field unknown_type = EI_INIT;
    expert_field unknown_control = EI_INIT;
    expert_field unknown_connect_type = EI_INIT;
    expert_field unknown_connect_source = EI_INIT;
    expert_field unknown_param_type = EI_INIT;
    expert_field unknown_descriptor = EI_INIT;
};

extern Fields hf;
extern Subtrees ett;
extern Experts ei;

// A library name table as a value string, without the padding the lines
// align the names with.
template <std::size_t N>
struct Names {
    value_string vals[N + 1];
    char text[N][40];
    void fill(const CODE_NAME (&rows)[N]);
    bool has(unsigned code) const { return try_val_to_str(code, vals) != nullptr; }
};

extern Names<sizeof KesaPakets / sizeof KesaPakets[0]> type_names;
extern Names<kParamTypes> param_names;
extern Names<sizeof ControlPakets / sizeof ControlPakets[0]> control_names;
extern Names<sizeof ConnectType / sizeof ConnectType[0]> connect_type_names;
extern Names<sizeof ConnectSource / sizeof ConnectSource[0]> connect_source_names;
extern Names<sizeof NumberTypeType / sizeof NumberTypeType[0]> number_type_names;
extern Names<sizeof NumberAbonentType / sizeof NumberAbonentType[0]> abonent_names;
extern Names<sizeof NumberFormatType / sizeof NumberFormatType[0]> format_names;
extern Names<sizeof PlanNumberType / sizeof PlanNumberType[0]> plan_names;
extern Names<sizeof NumberPropertyType / sizeof NumberPropertyType[0]> property_names;
extern Names<sizeof detail::kEndpointTypes / sizeof detail::kEndpointTypes[0]> endpoint_type_names;

void register_fields(int proto);

}  // namespace ws
}  // namespace paketlog

#endif
