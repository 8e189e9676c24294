// One additional parameter, rendered through the host formatter.
#include <cstring>

#include "code_name.h"
#include "eap/eap.h"
#include "eap/param_types.h"
#include "workspace.h"

namespace paketlog {
namespace detail {
namespace {

// Room for a video record's text, which its fields' widths bound:
// "IP4 " address " " port " codecs: " and two "<payload> <name>" entries.
struct VideoText {
    char text[4 + sizeof(Video_Exchange::ParamVideoRTP::address) + 1 + 5 + 9 +
              2 * (3 + 1 + sizeof(Video_Exchange::CodecVideo::name)) + 1];
    std::size_t size = 0;
    void append(const char* p, std::size_t n) {
        std::memcpy(text + size, p, n);
        size += n;
    }
};

int render_text(char* dst, int size, const char* name, const unsigned char* value, unsigned length) {
    const char* text = reinterpret_cast<const char*>(value);
    if (std::memchr(text, 0, length) != nullptr) return tevo_snprintf(dst, size, "%s=%s; ", name, text);
    // No NUL inside the value: show the value's bytes, as many as a parameter text holds.
    char copy[sizeof Workspace::param_text];
    const std::size_t n = length < sizeof copy - 1 ? length : sizeof copy - 1;
    std::memcpy(copy, text, n);
    copy[n] = '\0';
    return tevo_snprintf(dst, size, "%s=%s; ", name, copy);
}

// The length of the text a host-formatter call left in a buffer of `size`
// bytes: what it placed, even from a formatter that reports what it wanted,
// as snprintf does.
std::size_t placed(int reported, int size) {
    return reported <= 0 ? 0 : static_cast<std::size_t>(reported < size ? reported : size - 1);
}

}  // namespace

std::size_t render_param(Workspace& ws, char* dst, int size, const unsigned char* param) {
    const unsigned char type = param[0];
    const unsigned length = load_le16(param + 2);
    const unsigned char* value = param + sizeof(_PD_ADD_PARAM_HEADER);
    const char* name = get_name_add_param(type);
    if (name == nullptr)
        return placed(tevo_snprintf(dst, size, "Unknown add param:Type=0x%02X Len=%u", type, length), size);
    const Layout layout = layout_of_param(type);
    if (length < fixed_size(layout)) {
        return placed(tevo_snprintf(dst, size, "%s=[too short: Len=%u, needs %u]; ", name, length, fixed_size(layout)),
                      size);
    }
    int n = 0;  // the host formatter's results
    switch (layout) {
    case Layout::Text:
        n = render_text(dst, size, name, value, length);
        break;
    case Layout::U8:
        n = tevo_snprintf(dst, size, "%s=%u; ", name, unsigned{value[0]});
        break;
    case Layout::U32:
        n = tevo_snprintf(dst, size, "%s=%u; ", name, load_le32(value));
        break;
    case Layout::U32Pair:
        n = tevo_snprintf(dst, size, "%s=%u:%u; ", name, load_le32(value), load_le32(value + 4));
        break;
    case Layout::Rtp: {
        const char* rtp =
            rtp_exch_param2str(ws, *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(value + kRtpOffset));
        n = tevo_snprintf(dst, size, "%s: ID=%u Dstn=%u %s; ", name, load_le32(value),
                          unsigned{load_le16(value + 4)}, rtp);
        break;
    }
    case Layout::Binary: {
        n = tevo_snprintf(dst, size, "%s=", name);
        n += dump2str(dst + n, size - n, value, length);
        break;
    }
    case Layout::Video: {
        VideoText video;
        put_video_text(video, *reinterpret_cast<const Video_Exchange::ParamVideoRTP*>(value));
        video.text[video.size] = '\0';
        n = tevo_snprintf(dst, size, "%s=%s", name, video.text);
        break;
    }
    case Layout::Number: {
        _PD_NUMBER* number = reinterpret_cast<_PD_NUMBER*>(const_cast<unsigned char*>(value));
        const char* digits = number2str(ws, number, ws.number_text_a, sizeof ws.number_text_a, false);
        const char* kind = abonenttype2str(&number->abonent_type, ws.type_text_a, sizeof ws.type_text_a);
        n = tevo_snprintf(dst, size, "%s=%s Ka=%d %s; ", name, digits, int{number->category}, kind);
        break;
    }
    case Layout::EndpointType:
        n = tevo_snprintf(dst, size, "%s=%s; ", name, find_name(kEndpointTypes, value[0], "UNKNOWN"));
        break;
    case Layout::Silent:
        break;
    }
    return placed(n, size);
}

}  // namespace detail
}  // namespace paketlog

int get_eap_value(paketlog::Workspace& ws, char* dst, int size, _PD_ADD_PARAM_HEADER* param) {
    paketlog::detail::render_param(ws, dst, size, reinterpret_cast<const unsigned char*>(param));
    return get_name_add_param(param->type) != nullptr;
}

int get_eap_value(char* dst, int size, _PD_ADD_PARAM_HEADER* param) {
    return get_eap_value(paketlog::detail::g_workspace, dst, size, param);
}
