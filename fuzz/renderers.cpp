// The field renderers on records of exactly their size, completed with zeros
// where the input ends: numbers (both forms), descriptors, str2number,
// causes, IPv4 addresses, RTP and video records.
// Input: selector (low 3 bits: the renderer; bit 7: with_property or the
// test-call wording), size (u16), then the record's bytes.
#include "fuzz.h"

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const unsigned renderer = data[0] & 7u, flag = data[0] >> 7;
    const unsigned short n = static_cast<unsigned short>(fuzz::u16(data + 1));
    const long at = n ? 0 : -1;  // a size of 0 writes nothing
    // A digit array of up to 255 codes; a text of up to 64 bytes, without a NUL from 32 on.
    const std::size_t rest = size - 3, text = std::min<std::size_t>(rest, 64);
    const std::size_t sizes[] = {sizeof(_PD_NUMBER), std::min<std::size_t>(rest, 255), sizeof(SABONENT_TYPE),
                                 text < 32 ? text + 1 : text, sizeof(_PD_CAUSE), 4, sizeof(RTP_EXCH::sRTPExchParam),
                                 sizeof(Video_Exchange::ParamVideoRTP)};
    const auto bytes = fuzz::exact(data + 3, std::min(rest, sizes[renderer]), sizes[renderer]);
    unsigned char* const p = bytes.get();
    fuzz::DirtyWorkspace ws;
    const auto cut = [&](const char* whole, const std::string& text) {  // cut at size - 1
        require(!n || text == std::string(whole).substr(0, n - 1u));
    };
    switch (renderer) {
    case 0: {  // without a destination: the digits alone, at most 20
        _PD_NUMBER* number = reinterpret_cast<_PD_NUMBER*>(p);
        fuzz::checked(n, at, [&](char* dst) { return number2str(number, dst, n, flag); });
        require(strnlen(number2str(number, nullptr, n, flag), 40) == std::min<std::size_t>(number->digit_count, 20));
    } break;
    case 1: {  // cut at size - 1
        const unsigned char count = static_cast<unsigned char>(sizes[1]);
        require(fuzz::checked(n, at, [&](char* dst) { return number2str(dst, n, p, count); }).size() ==
                std::min<std::size_t>(count, n ? n - 1u : 0));
    } break;
    case 2:  // any kind and code: a name of at most 7 bytes, or the empty text
        fuzz::checked(n, at, [&](char* dst) { return abonenttype2str(reinterpret_cast<SABONENT_TYPE*>(p), dst, n); });
        require(strnlen(get_description_by_type(p[0], p[1]), 8) <= 7);
        break;
    case 3: {  // `max` from the size's low byte; codes stored from 0 on, none past the count
        const unsigned char max = static_cast<unsigned char>(n);
        const std::size_t room = std::min<std::size_t>(max, 32);
        const std::string pattern(room, '\xA5');
        const auto codes = fuzz::exact(pattern.data(), room, room);
        const unsigned count = str2number(reinterpret_cast<char*>(p), codes.get(), max);
        require(count <= strnlen(reinterpret_cast<char*>(p), room));
        for (unsigned i = 0; i < room; ++i) require(i < count ? codes[i] <= 15 : codes[i] == 0xA5);
    } break;
    case 4: {
        _PD_CAUSE* record = reinterpret_cast<_PD_CAUSE*>(p);
        const char* cause = flag ? cause2strTC(ws, record) : cause2str(ws, record);
        require(cause == (flag ? ws.cause_text_tc : ws.cause_text) && cause[0] && std::memchr(cause, 0, 64));
    } break;
    case 5: {  // without a size, in the workspace's text
        const unsigned addr = paketlog::detail::load_le32(p);
        const char* whole = ip2str(ws, addr, nullptr, 0);
        require(whole == ws.ip_text && strnlen(whole, 32) <= 15);
        cut(whole, fuzz::checked(n, at, [&](char* dst) { return ip2str(addr, dst, n); }));
    } break;
    case 6: {  // at most 71 characters in the workspace's text
        const auto& param = *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(p);
        const char* whole = rtp_exch_param2str(ws, param);
        require(whole == ws.rtp_text && strnlen(whole, 512) <= 71);
        cut(whole, fuzz::checked(n, at, [&](char* dst) { return rtp_exch_param2str(param, dst, n); }));
    } break;
    default: {  // two codecs of 3 digits, a blank and a 100-byte name; "IP4 ", a 120-byte address, a blank,
                // 5 digits and " codecs: " before them
        const auto& param = *reinterpret_cast<const Video_Exchange::ParamVideoRTP*>(p);
        const std::string codecs = param.CodecsToStr(), text = param.ToString();
        require(codecs.size() <= 2 * (3 + 1 + 100) && text.size() <= 4 + 120 + 1 + 5 + 9 + codecs.size());
    } break;
    }
    return 0;
}
