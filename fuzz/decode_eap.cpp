// The length-aware decode_eap on a packet of exactly the input's length; the
// legacy forms give the same text, the trusting one where nothing was cut.
// Input: offset (u16), skip_type, then the packet.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const unsigned short offset = static_cast<unsigned short>(fuzz::u16(data)), length = fuzz::length(size - 3);
    const auto packet = fuzz::exact(data + 3, length, length);
    fuzz::DirtyWorkspace ws;
    const char* text = decode_eap(ws, packet.get(), length, offset, data[2]);
    fuzz::require(text == ws.block_text && std::memchr(text, 0, sizeof ws.block_text) != nullptr);
    fuzz::require(std::strcmp(decode_eap(packet.get(), length, offset, data[2]), text) == 0);
    fuzz::require(std::strstr(text, "[|eap]") || std::strcmp(decode_eap(packet.get(), offset, data[2]), text) == 0);
    return 0;
}
