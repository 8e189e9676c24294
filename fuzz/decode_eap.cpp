// The length-aware decode_eap on a packet of exactly the input's length, and
// the trusting form on every block the length-aware form found complete.
// Input: offset (u16), skip_type, then the packet.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const unsigned short offset = static_cast<unsigned short>(in.u16());
    const unsigned char skip_type = static_cast<unsigned char>(in.u8());
    const std::size_t n = in.rest_size() < 0xFFFF ? in.rest_size() : 0xFFFF;
    const fuzz::Exact packet(in.rest(), n);
    const unsigned short length = static_cast<unsigned short>(n);

    const auto ws = fuzz::dirty_workspace();
    const char* text = decode_eap(*ws, packet.get(), length, offset, skip_type);
    fuzz::require(text == ws->block_text);
    fuzz::require(strnlen(text, sizeof ws->block_text) < sizeof ws->block_text);

    // The library-wide workspace gives the same text.
    const char* legacy = decode_eap(packet.get(), length, offset, skip_type);
    fuzz::require(legacy != nullptr && std::strcmp(legacy, text) == 0);

    if (!fuzz::contains(text, "[|eap]")) {
        const auto other = fuzz::dirty_workspace();
        const char* trusted = decode_eap(*other, packet.get(), offset, skip_type);
        fuzz::require(trusted == other->block_text && std::strcmp(trusted, text) == 0);
    }
    return 0;
}
