// The length-aware decode_paket_testcall on a packet of exactly the input's
// length, and the trusting form on every packet the length-aware form found
// complete.
// Input: flags (bit 0: incoming), size (u16, fuzz::dest_size), then the packet.
#include "fuzz.h"

namespace {
// "Пакет обрезан" in Windows-1251: the line of a packet shorter than its fields.
const char kTruncated[] = "\xCF\xE0\xEA\xE5\xF2 \xEE\xE1\xF0\xE5\xE7\xE0\xED";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const bool incoming = (in.u8() & 1u) != 0;
    const int dst_size = fuzz::dest_size(in.u16());
    const std::size_t n = in.rest_size() < 0xFFFF ? in.rest_size() : 0xFFFF;
    const fuzz::Exact packet(in.rest(), n);
    const unsigned short length = static_cast<unsigned short>(n);

    fuzz::Dest dst(dst_size);
    const char* r = decode_paket_testcall(dst.get(), dst_size, packet.get(), length, incoming);
    if (dst_size <= 0 || length == 0) {
        fuzz::require(r == nullptr);
        dst.check_untouched();
        return 0;
    }
    // The result skips the 9-byte direction prefix and its blank.
    fuzz::require(fuzz::points_at(r, dst.get(), 10));
    const std::size_t line = dst.check_line();

    const auto ws = fuzz::dirty_workspace();
    fuzz::Dest whole(fuzz::kWholeLine);
    fuzz::require(decode_paket_testcall(*ws, whole.get(), fuzz::kWholeLine, packet.get(), length, incoming) ==
                  whole.get() + 10);
    fuzz::require(whole.check_line() + 1 < static_cast<std::size_t>(fuzz::kWholeLine));
    fuzz::check_cut(dst, line, whole.get());

    // Nothing cut: the packet holds every field of its type and its whole
    // block, so the form without a length reads only these bytes and gives
    // the same line.
    if (!fuzz::contains(whole.get(), "[|eap]") && !fuzz::contains(whole.get(), kTruncated)) {
        fuzz::Dest trusted(fuzz::kWholeLine);
        fuzz::require(decode_paket_testcall(*ws, trusted.get(), fuzz::kWholeLine, packet.get(), incoming) ==
                      trusted.get() + 10);
        trusted.check_line();
        fuzz::require(std::strcmp(trusted.get(), whole.get()) == 0);
    }
    return 0;
}
