// The field renderers on records of exactly their size: numbers (both forms),
// descriptors, str2number, causes, IPv4 addresses, RTP and video records.
// Input: selector (low 3 bits: the renderer; bit 7: with_property or the
// test-call wording), size (u16), then the record's bytes; a record the input
// does not fill is completed with zeros.
#include <string>

#include "fuzz.h"

namespace {

using fuzz::require;

template <typename Record>
fuzz::Exact record(const fuzz::Input& in) {
    const std::size_t n = in.rest_size() < sizeof(Record) ? in.rest_size() : sizeof(Record);
    return fuzz::Exact(in.rest(), n, sizeof(Record) - n);
}

void number(const fuzz::Input& in, unsigned short size, bool with_property) {
    const fuzz::Exact bytes = record<_PD_NUMBER>(in);
    _PD_NUMBER* n = reinterpret_cast<_PD_NUMBER*>(bytes.get());
    fuzz::Dest dst(size);
    const char* r = number2str(n, dst.get(), size, with_property);
    if (size == 0) {
        dst.check_untouched();
    } else {
        require(r == dst.get());
        const std::size_t length = dst.check_line();
        const auto ws = fuzz::dirty_workspace();
        fuzz::Dest again(size);
        require(number2str(*ws, n, again.get(), size, with_property) == again.get());
        require(again.check_line() == length && std::memcmp(again.get(), dst.get(), length) == 0);
    }
    // No usable destination: the digits alone, in the fallback text.
    const char* fallback = number2str(n, nullptr, size, with_property);
    const std::size_t digits = n->digit_count < 20 ? n->digit_count : 20;
    require(fallback != nullptr && strnlen(fallback, 40) == digits);
}

void digit_array(const fuzz::Input& in, unsigned short size) {
    const unsigned char count = static_cast<unsigned char>(in.rest_size() < 255 ? in.rest_size() : 255);
    const fuzz::Exact digits(in.rest(), count);
    fuzz::Dest dst(size);
    require(number2str(dst.get(), size, digits.get(), count) == dst.get());
    if (size == 0) {
        dst.check_untouched();
        return;
    }
    require(dst.check_line() == (count < size ? count : size - 1u));
}

void descriptor(const fuzz::Input& in, unsigned short size) {
    const fuzz::Exact bytes = record<SABONENT_TYPE>(in);
    fuzz::Dest dst(size);
    const char* r = abonenttype2str(reinterpret_cast<SABONENT_TYPE*>(bytes.get()), dst.get(), size);
    if (size == 0) {
        require(std::strcmp(r, "[?]") == 0);
        dst.check_untouched();
    } else {
        require(r == dst.get());
        dst.check_line();
    }
    const char* name = get_description_by_type(bytes.get()[0], bytes.get()[1]);
    require(name != nullptr && strnlen(name, 8) <= 7);
}

// `max` from the size's low byte. A text of 32 bytes or more goes without a
// terminator: no more than 32 characters of it are ever examined.
void parse_digits(const fuzz::Input& in, unsigned short size) {
    const unsigned char max = static_cast<unsigned char>(size & 0xFF);
    const bool terminated = in.rest_size() < 32;
    const fuzz::Exact text(in.rest(), in.rest_size(), terminated ? 1 : 0);
    const int room = max < 32 ? max : 32;
    fuzz::Dest digits(room);
    char* chars = reinterpret_cast<char*>(text.get());
    const unsigned count = str2number(chars, reinterpret_cast<unsigned char*>(digits.get()), max);
    digits.check_canary();
    const std::size_t examined = strnlen(chars, 32) < max ? strnlen(chars, 32) : max;
    require(count <= examined);
    for (unsigned i = 0; i < static_cast<unsigned>(room); ++i) {
        const unsigned char code = static_cast<unsigned char>(digits.get()[i]);
        if (i < count)
            require(code <= 9 || code == 11 || code == 12 || code == 15);
        else
            require(code == fuzz::Dest::kFill);
    }
}

void cause(const fuzz::Input& in, bool tc) {
    const fuzz::Exact bytes = record<_PD_CAUSE>(in);
    _PD_CAUSE* c = reinterpret_cast<_PD_CAUSE*>(bytes.get());
    const char* text = tc ? cause2strTC(c) : cause2str(c);
    require(text != nullptr && strnlen(text, 64) < 64 && text[0] != '\0');
    const auto ws = fuzz::dirty_workspace();
    require(std::strcmp(tc ? cause2strTC(*ws, c) : cause2str(*ws, c), text) == 0);
    require((tc ? cause2strTC(nullptr) : cause2str(nullptr))[0] == '\0');
}

void ip(const fuzz::Input& in, unsigned short size) {
    const fuzz::Exact bytes = record<unsigned int>(in);
    const unsigned addr = paketlog::detail::load_le32(bytes.get());
    fuzz::Dest dst(size);
    const char* r = ip2str(addr, dst.get(), size);
    const char* whole = ip2str(addr, nullptr, 0);
    require(strnlen(whole, 32) <= 15);
    if (size == 0) {
        require(r == whole);
        dst.check_untouched();
        return;
    }
    require(r == dst.get());
    fuzz::check_cut(dst, dst.check_line(), whole);
}

void rtp(const fuzz::Input& in, unsigned short size) {
    const fuzz::Exact bytes = record<RTP_EXCH::sRTPExchParam>(in);
    const auto& param = *reinterpret_cast<const RTP_EXCH::sRTPExchParam*>(bytes.get());
    fuzz::Dest dst(size);
    require(rtp_exch_param2str(param, dst.get(), size) == dst.get());
    const char* whole = rtp_exch_param2str(param);
    require(strnlen(whole, 512) <= 71);
    const auto ws = fuzz::dirty_workspace();
    require(std::strcmp(rtp_exch_param2str(*ws, param), whole) == 0);
    if (size == 0) {
        dst.check_untouched();
        return;
    }
    fuzz::check_cut(dst, dst.check_line(), whole);
}

void video(const fuzz::Input& in) {
    const fuzz::Exact bytes = record<Video_Exchange::ParamVideoRTP>(in);
    const auto& param = *reinterpret_cast<const Video_Exchange::ParamVideoRTP*>(bytes.get());
    const std::string codecs = param.CodecsToStr();
    const std::string text = param.ToString();
    // Two entries of a 3-digit payload, a blank and a 100-byte name; "IP4 ",
    // a 120-byte address, a blank, a 5-digit port and " codecs: ".
    require(codecs.size() <= 2 * (3 + 1 + 100));
    require(text.size() <= 4 + 120 + 1 + 5 + 9 + codecs.size());
    require(text.compare(0, 4, "IP4 ") == 0);
    require(text.size() >= codecs.size() && text.compare(text.size() - codecs.size(), codecs.size(), codecs) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const unsigned selector = in.u8();
    const bool flag = (selector & 0x80u) != 0;
    const unsigned short dst_size = static_cast<unsigned short>(in.u16());
    switch (selector & 7u) {
    case 0: number(in, dst_size, flag); break;
    case 1: digit_array(in, dst_size); break;
    case 2: descriptor(in, dst_size); break;
    case 3: parse_digits(in, dst_size); break;
    case 4: cause(in, flag); break;
    case 5: ip(in, dst_size); break;
    case 6: rtp(in, dst_size); break;
    default: video(in); break;
    }
    return 0;
}
