// The length-aware decode_paket_testcall on a packet of exactly the input's
// length; the result points past the direction prefix and its blank. Where
// the line shows nothing cut, the trusting form gives the same line.
// Input: flags (bit 0: incoming), size (u16, fuzz::dest_size), then the packet.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool incoming = (data[0] & 1u) != 0;
    const unsigned short length = fuzz::length(size - 3);
    const auto packet = fuzz::exact(data + 3, length, length);
    const int dst_size = fuzz::dest_size(data + 1);
    const std::string whole = fuzz::decoded(dst_size, dst_size <= 0 || length == 0, 10,
                                            [&](paketlog::Workspace* ws, char* dst, int n) {
        return ws ? decode_paket_testcall(*ws, dst, n, packet.get(), length, incoming)
                  : decode_paket_testcall(dst, n, packet.get(), length, incoming);
    });
    // No "[|eap]", no "Пакет обрезан" (Windows-1251).
    if (!whole.empty() && whole.find("[|eap]") == whole.npos && whole.find("\xCF\xE0\xEA\xE5\xF2 \xEE") == whole.npos)
        fuzz::require(whole == fuzz::checked(16384, 10, [&](char* dst) {
                          return decode_paket_testcall(dst, 16384, packet.get(), incoming);
                      }));
    return 0;
}
