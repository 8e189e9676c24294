// decode_paket on a packet of exactly the input's length; the result points
// past the message-type word and its blank.
// Input: msg_type, skip_type, size (u16, fuzz::dest_size), then the packet.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const unsigned short length = fuzz::length(size - 4);
    const auto packet = fuzz::exact(data + 4, length, length);
    const int dst_size = fuzz::dest_size(data + 2);
    fuzz::decoded(dst_size, dst_size <= 0 || length == 0, long(std::strlen(get_msg_type_logdb(data[0]))) + 1,
                  [&](paketlog::Workspace* ws, char* dst, int n) {
        return ws ? decode_paket(*ws, dst, n, packet.get(), length, data[0], data[1])
                  : decode_paket(dst, n, packet.get(), length, data[0], data[1]);
    });
    return 0;
}
