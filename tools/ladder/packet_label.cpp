#include "ladder/packet_label.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "decode/packet_filter.h"
#include "paketlog.h"
#include "text/decimal_text.h"
#include "wire/block_walk.h"
#include "wire/packet_types.h"

namespace paketlog {
namespace tool {
namespace {

// The parameters that name an endpoint, most telling first.
constexpr unsigned char kNameParams[] = {160, 161, 170, 163};  // ENDPOINT_A, ENDPOINT_B, ENDPOINT_C, NAME_CALL
// The longest name shown, in bytes of the packet.
constexpr std::size_t kMaxName = 128;
// Room for number2str: 20 digits and the NUL.
constexpr unsigned short kNumberTextSize = 40;

std::string decimal(unsigned long long value) {
    char text[24];
    return std::string(text, static_cast<std::size_t>(put_decimal(text, value) - text));
}

}  // namespace

PacketLabels::PacketLabels() : ws_(std::make_unique<Workspace>()) {}
PacketLabels::~PacketLabels() = default;

std::string PacketLabels::number(const unsigned char* packet, std::size_t size, std::size_t at) {
    if (size < at + sizeof(_PD_NUMBER)) return std::string();
    char text[kNumberTextSize] = {};
    _PD_NUMBER* record = reinterpret_cast<_PD_NUMBER*>(const_cast<unsigned char*>(packet + at));
    return number2str(*ws_, record, text, sizeof text, false);
}

std::string PacketLabels::label(const unsigned char* packet, std::size_t size) {
    if (size < sizeof(_PD_PACKET)) return std::string();
    const unsigned char type = packet[offsetof(_PD_PACKET, type)];
    std::string key;
    switch (type) {
    case PKT_DIALDIGIT:
        if (size > offsetof(wire::DialDigit, digit)) {
            unsigned char code = packet[offsetof(wire::DialDigit, digit)];
            char digit[4] = {};
            key = number2str(digit, sizeof digit, &code, 1);
        }
        break;
    case PKT_DIALNUMBER: key = number(packet, size, offsetof(wire::DialNumber, called)); break;
    case PKT_CALLINGNUM: key = number(packet, size, offsetof(wire::CallingNum, calling)); break;
    case PKT_CONTROL:
        if (size > offsetof(wire::Control, control)) key = get_name_control(packet[offsetof(wire::Control, control)], false);
        break;
    case PKT_CNG_SEANCE:
        if (size >= offsetof(wire::CngSeance, new_seance) + 4)
            key = "to " + decimal(detail::load_le32(packet + offsetof(wire::CngSeance, new_seance)));
        break;
    case PKT_MOVE_CALL:
        if (size >= offsetof(wire::MoveCall, second_seance) + 4)
            key = "to " + decimal(detail::load_le32(packet + offsetof(wire::MoveCall, second_seance)));
        break;
    case PKT_RTP_DATA:
        if (size >= offsetof(wire::RtpData, rtp) + sizeof(RTP_EXCH::sRTPExchParam)) {
            const auto* rtp = reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(packet + offsetof(wire::RtpData, rtp));
            key = utf8_.convert(std::string_view(rtp->address, detail::field_strlen(rtp->address, sizeof rtp->address))) +
                  ":" + decimal(detail::load_le16(&rtp->port));
        }
        break;
    default: break;
    }
    const std::string name = packet_type_name(type, false);
    if (name.empty() || key.empty()) return name;
    return name + " " + key;
}

std::string PacketLabels::sender_name(const unsigned char* packet, std::size_t size) const {
    if (size < sizeof(_PD_PACKET)) return std::string();
    std::string best;
    std::size_t best_rank = sizeof kNameParams;
    wire::BlockWalk walk(packet, size, wire::block_offset(packet[offsetof(_PD_PACKET, type)]));
    while (const unsigned char* param = walk.next()) {
        const std::size_t rank =
            static_cast<std::size_t>(std::find(std::begin(kNameParams), std::end(kNameParams), param[0]) - kNameParams);
        if (rank >= best_rank) continue;
        const char* value = reinterpret_cast<const char*>(param + sizeof(_PD_ADD_PARAM_HEADER));
        const std::size_t length = std::min<std::size_t>(detail::load_le16(param + 2), kMaxName);
        std::string text = utf8_.convert(std::string_view(value, detail::field_strlen(value, length)));
        if (text.empty()) continue;
        best = std::move(text);
        best_rank = rank;
    }
    return best;
}

}  // namespace tool
}  // namespace paketlog
