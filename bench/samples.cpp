#include "samples.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "paketlog.h"

namespace bench {
namespace {

void put16(Bytes& v, std::size_t at, unsigned value) {
    if (v.size() < at + 2) v.resize(at + 2);
    v[at] = static_cast<unsigned char>(value);
    v[at + 1] = static_cast<unsigned char>(value >> 8);
}

void put32(Bytes& v, std::size_t at, unsigned value) {
    if (v.size() < at + 4) v.resize(at + 4);
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void put_text(Bytes& v, std::size_t at, const std::string& text) {
    if (v.size() < at + text.size()) v.resize(at + text.size());
    std::memcpy(v.data() + at, text.data(), text.size());
}

void put_bytes(Bytes& v, std::size_t at, const Bytes& bytes) {
    if (v.size() < at + bytes.size()) v.resize(at + bytes.size());
    std::memcpy(v.data() + at, bytes.data(), bytes.size());
}

unsigned digit_code(char c) {
    switch (c) {
    case '*': return 11;
    case '#': return 12;
    case '+': return 15;
    default: return static_cast<unsigned>(c - '0');
    }
}

}  // namespace

Bytes param(unsigned char type, const Bytes& value) {
    Bytes p(4 + value.size());
    p[0] = type;
    put16(p, 2, static_cast<unsigned>(value.size()));
    std::copy(value.begin(), value.end(), p.begin() + 4);
    return p;
}

Bytes text_value(const std::string& text) {
    Bytes v(text.begin(), text.end());
    v.push_back(0);
    return v;
}

Bytes u8_value(unsigned value) { return Bytes{static_cast<unsigned char>(value)}; }

Bytes u32_value(unsigned value) {
    Bytes v;
    put32(v, 0, value);
    return v;
}

// Descriptor "[Local:Lcl :PBX :Tlph_NT]"-like bytes, then category, property, digits.
Bytes number_record(const std::string& digits, unsigned category, unsigned property) {
    Bytes v(sizeof(_PD_NUMBER), 0);
    v[0] = 1;  // Local
    v[1] = 0;  // Lcl
    v[2] = 0;  // PBX
    v[3] = 1;  // Tlph_NT
    v[4] = static_cast<unsigned char>(category);
    v[5] = static_cast<unsigned char>(property);
    v[6] = static_cast<unsigned char>(digits.size());
    for (std::size_t i = 0; i < digits.size() && i < sizeof(_PD_NUMBER::digits); ++i)
        v[offsetof(_PD_NUMBER, digits) + i] = static_cast<unsigned char>(digit_code(digits[i]));
    return v;
}

Bytes rtp_record(const std::string& address, unsigned port, bool send, bool recv) {
    Bytes v(sizeof(RTP_EXCH::sRTPExchParam), 0);
    put_text(v, 17, address);
    put16(v, 145, port);
    v[147] = send ? 1 : 0;
    v[148] = recv ? 1 : 0;
    return v;
}

Bytes rtp_param_value(unsigned id, unsigned dstn) {
    Bytes v;
    put32(v, 0, id);
    put16(v, 4, dstn);
    put_bytes(v, 6, rtp_record("10.0.0.9", 40000, true, true));
    return v;
}

Bytes video_record() {
    Bytes v(sizeof(Video_Exchange::ParamVideoRTP), 0);
    v[0] = 96;  // H264, used
    v[1] = 0;
    put_text(v, 2, "H264");
    v[102] = 97;  // VP8, used
    v[103] = 0;
    put_text(v, 104, "VP8");
    put_text(v, 204, "10.0.0.7");
    put16(v, 324, 6000);
    return v;
}

std::vector<NamedParam> one_param_of_each_type() {
    Bytes binary(16);
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<unsigned char>(i * 17);
    return {
        {"ENDPOINT_A", param(160, text_value("sip:1001@10.0.0.1"))},
        {"ENDPOINT_B", param(161, text_value("sip:2002@10.0.0.2"))},
        {"BUTTON", param(162, u8_value(7))},
        {"NAME_CALL", param(163, text_value("Dispatcher 3"))},
        {"EIRINE_NUM", param(164, text_value("123"))},
        {"DMR_PRIORITY", param(165, u8_value(2))},
        {"ANOTHER_ABONENT_PARAM", param(166, u32_value(1))},
        {"MGCP_SEANCE", param(167, text_value("mgcp-4711"))},
        {"RTP_PARAM", param(168, rtp_param_value(3, 1))},
        {"EDSS_ID_CALL", param(169, u32_value(123456))},
        {"ENDPOINT_C", param(170, text_value("sip:3003@10.0.0.3"))},
        {"SESSION_LIST", param(171, u32_value(4711))},
        {"CAMERA_PROP", param(172, [] { Bytes v = u32_value(640); put32(v, 4, 480); return v; }())},
        {"BINARY_DATA", param(173, binary)},
        {"VIDEO_PARAM", param(174, video_record())},
        {"HIDE_PARAM", param(175, number_record("5551234", 1, 3))},
        {"HIDE_NAME", param(176, text_value("Operator"))},
        {"ENDPOINT_TYPE", param(177, u8_value(2))},
        {"REDIRECT_NUMBER", param(178, text_value("84957654321"))},
        {"ADDCAPABILITY", param(179, text_value("conf"))},
        {"UNKNOWN", param(180, u8_value(0))},
        {"unknown_type", param(0x55, u32_value(9))},
    };
}

Bytes block(const std::vector<Bytes>& params) {
    Bytes b{static_cast<unsigned char>(params.size())};
    for (const Bytes& p : params) b.insert(b.end(), p.begin(), p.end());
    return b;
}

Bytes empty_block() { return Bytes{0}; }

Bytes full_block() {
    Bytes binary{0x01, 0xab, 0xff, 0x10, 0x00, 0x7f, 0x80, 0x42};
    Bytes camera = u32_value(640);
    put32(camera, 4, 480);
    return block({
        param(160, text_value("sip:1001@10.0.0.1")),
        param(161, text_value("sip:2002@10.0.0.2")),
        param(162, u8_value(7)),
        param(163, text_value("Dispatcher 3")),
        param(165, u8_value(2)),
        param(167, text_value("mgcp-4711")),
        param(168, rtp_param_value(3, 1)),
        param(169, u32_value(123456)),
        param(172, camera),
        param(173, binary),
        param(175, number_record("5551234", 1, 3)),
        param(177, u8_value(2)),
    });
}

const std::vector<ListedType>& listed_types() {
    static const std::vector<ListedType> types = {
        {"DIALDIGIT", 128},  {"DIALNUMBER", 129}, {"CONTROL", 130}, {"CALLINGNUM", 132}, {"CHK_SEANCE", 136},
        {"CNG_SEANCE", 138}, {"MOVE_CALL", 140},  {"USER2USER", 141}, {"RTP_DATA", 144}, {"CONNECT", 145},
        {"KLT_RDY", 208},    {"KLT_REGEP", 209},  {"KLT_UNREG", 210}, {"KLT_NTRDY", 211},
    };
    return types;
}

Bytes packet(unsigned char type, const Bytes& blk) {
    Bytes p(10, 0);
    p[2] = type;
    put32(p, 6, 4711);
    switch (type) {
    case 128: p.push_back(5); break;
    case 129:
        put_bytes(p, 10, number_record("84951234567", 1, 3));
        put_bytes(p, 37, number_record("1001", 0, 3));
        put32(p, 64, 0x00010002);
        break;
    case 130:
        p.push_back(131);  // release, with a cause
        put_bytes(p, 11, Bytes{1, 2, 16, 31});
        put32(p, 15, 0x10);
        break;
    case 132:
        put_bytes(p, 10, number_record("2002", 0, 3));
        put32(p, 37, 0x00000001);
        break;
    case 136: p.push_back(3); break;
    case 138:
        put32(p, 10, 4712);
        put_bytes(p, 14, number_record("3003", 2, 3));
        put32(p, 41, 0x00000004);
        break;
    case 140:
        put32(p, 10, 4713);
        put32(p, 14, 0x00000002);
        break;
    case 141:
        put32(p, 10, 0x15);
        put32(p, 14, 2);
        put32(p, 18, 1);
        break;
    case 144:
        put32(p, 10, 7);
        put16(p, 14, 1);
        put_bytes(p, 16, rtp_record("10.0.0.5", 5004, true, true));
        break;
    case 145:
        p.push_back(3);   // SEND_RECV
        p.push_back(10);  // RTP channel
        put32(p, 12, 0x00000001);
        break;
    default: break;  // 208-211: the block (or the byte at 10) alone
    }
    _PD_PACKET probe{};
    probe.type = type;
    const std::size_t at = type == PKT_KLT_NTRDY || probe.get_offset_EAP() == 0 ? 10 : probe.get_offset_EAP();
    p.resize(at + blk.size(), 0);
    std::memcpy(p.data() + at, blk.data(), blk.size());
    return p;
}

std::vector<Sample> listed_packets(const Bytes& blk) {
    std::vector<Sample> out;
    for (const ListedType& t : listed_types()) out.push_back({t.name, t.type, packet(t.type, blk)});
    return out;
}

}  // namespace bench
