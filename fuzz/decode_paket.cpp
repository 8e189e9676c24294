// decode_paket on a packet of exactly the input's length.
// Input: msg_type, skip_type, size (u16, fuzz::dest_size), then the packet.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const unsigned char msg_type = static_cast<unsigned char>(in.u8());
    const unsigned char skip_type = static_cast<unsigned char>(in.u8());
    const int dst_size = fuzz::dest_size(in.u16());
    const std::size_t n = in.rest_size() < 0xFFFF ? in.rest_size() : 0xFFFF;
    const fuzz::Exact packet(in.rest(), n);
    const unsigned short length = static_cast<unsigned short>(n);

    fuzz::Dest dst(dst_size);
    const char* r = decode_paket(dst.get(), dst_size, packet.get(), length, msg_type, skip_type);
    if (dst_size <= 0 || length == 0) {
        fuzz::require(r == nullptr);
        dst.check_untouched();
        return 0;
    }
    // The result addresses the packet name: past the word and its blank.
    fuzz::require(fuzz::points_at(r, dst.get(), std::strlen(get_msg_type_logdb(msg_type)) + 1));
    const std::size_t line = dst.check_line();

    // A workspace of the caller's gives the same line whatever it held, and
    // a short destination holds the whole line cut at size - 1.
    const auto ws = fuzz::dirty_workspace();
    fuzz::Dest whole(fuzz::kWholeLine);
    const char* r2 = decode_paket(*ws, whole.get(), fuzz::kWholeLine, packet.get(), length, msg_type, skip_type);
    fuzz::require(fuzz::points_at(r2, whole.get(), static_cast<std::size_t>(r - dst.get())));
    fuzz::require(whole.check_line() + 1 < static_cast<std::size_t>(fuzz::kWholeLine));
    fuzz::check_cut(dst, line, whole.get());
    return 0;
}
