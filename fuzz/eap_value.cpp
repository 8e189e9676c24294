// get_eap_value on one parameter alone in an allocation of exactly its size,
// its length field telling the truth, then dump2str on its value bytes.
// Input: size (u16, fuzz::dest_size), type, the reserved byte, then the value.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const int dst_size = fuzz::dest_size(data);
    const unsigned type = data[2], length = fuzz::length(size - 4);
    const auto param = fuzz::exact(data, 4 + length, 4 + length);  // the value last in the allocation
    param[0] = type, param[1] = data[3], param[2] = length & 0xFF, param[3] = length >> 8;

    // Known types give 1; 164, 166 and 180 write nothing at all.
    const bool silent = type == 164 || type == 166 || type == 180;
    fuzz::checked(dst_size, dst_size <= 0 || silent ? -1 : 0, [&](char* dst) {
        const int known = get_eap_value(dst, dst_size, reinterpret_cast<_PD_ADD_PARAM_HEADER*>(param.get()));
        fuzz::require(known == (get_name_add_param(type) != nullptr));
        return dst;
    });
    // "%02x " a byte while it and the NUL fit: (size - 2) / 3 bytes, none for a size of 4 or less.
    const unsigned room = dst_size > 4 ? unsigned(dst_size - 2) / 3u : 0u, dumped = length < room ? length : room;
    const std::string dump = fuzz::checked(dst_size, dumped ? 0 : -1, [&](char* dst) {
        fuzz::require(dump2str(dst, dst_size, param.get() + 4, length) == int(3 * dumped));
        return dst;
    });
    fuzz::require(dump.size() == 3 * dumped);
    return 0;
}
