// get_eap_value on one parameter alone in an allocation of exactly its size,
// its length field telling the truth, and dump2str on its value bytes.
// Input: size (u16, fuzz::dest_size), type, the reserved byte, then the value.
#include "fuzz.h"

namespace {
void check_value(int dst_size, const fuzz::Exact& param) {
    const unsigned char type = param.get()[0];
    const bool writes = type != 164 && type != 166 && type != 180;  // these three write nothing at all

    fuzz::Dest dst(dst_size);
    const int known = get_eap_value(dst.get(), dst_size, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(param.get()));
    fuzz::require(known == (get_name_add_param(type) != nullptr ? 1 : 0));
    if (dst_size <= 0 || !writes) {
        dst.check_untouched();
        return;
    }
    dst.check_line();

    const auto ws = fuzz::dirty_workspace();
    fuzz::Dest again(dst_size);
    fuzz::require(get_eap_value(*ws, again.get(), dst_size, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(param.get())) ==
                  known);
    again.check_line();
    fuzz::require(std::strcmp(again.get(), dst.get()) == 0);
}

// "%02x " a byte while a whole byte and the NUL fit, and not even a NUL
// when none does.
void check_dump(int dst_size, const unsigned char* bytes, unsigned length) {
    fuzz::Dest dst(dst_size);
    const int written = dump2str(dst.get(), dst_size, bytes, length);
    const unsigned room = dst_size > 4 ? static_cast<unsigned>(dst_size - 2) / 3u : 0u;
    const unsigned dumped = length < room ? length : room;
    fuzz::require(written == static_cast<int>(3 * dumped));
    if (dumped == 0) {
        dst.check_untouched();
        return;
    }
    fuzz::require(dst.check_line() == 3 * dumped);
    static const char digits[] = "0123456789abcdef";
    for (unsigned i = 0; i < dumped; ++i) {
        const char* at = dst.get() + 3 * i;
        fuzz::require(at[0] == digits[bytes[i] >> 4] && at[1] == digits[bytes[i] & 15] && at[2] == ' ');
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const int dst_size = fuzz::dest_size(in.u16());
    unsigned char header[4];
    header[0] = static_cast<unsigned char>(in.u8());
    header[1] = static_cast<unsigned char>(in.u8());
    const std::size_t n = in.rest_size() < 0xFFFF ? in.rest_size() : 0xFFFF;
    header[2] = static_cast<unsigned char>(n & 0xFF);
    header[3] = static_cast<unsigned char>(n >> 8);

    fuzz::Exact param(header, sizeof header, n);
    if (n) std::memcpy(param.get() + sizeof header, in.rest(), n);
    check_value(dst_size, param);

    const fuzz::Exact value(in.rest(), n);
    check_dump(dst_size, value.get(), static_cast<unsigned>(n));
    return 0;
}
