// What the fuzz targets share: exact-size copies of the bytes they hand the
// library and checked calls. An input shorter than its fixed fields is skipped.
#ifndef PAKETLOG_FUZZ_FUZZ_H
#define PAKETLOG_FUZZ_FUZZ_H
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "paketlog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {
// A broken promise stops the run; libFuzzer keeps the input.
inline void require(bool ok) { if (!ok) __builtin_trap(); }
inline unsigned u16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
// A `size` argument from a 16-bit field: 0 to 65520, the 15 values above as -15 to -1.
inline int dest_size(const std::uint8_t* p) { return u16(p) <= 0xFFF0u ? int(u16(p)) : int(u16(p)) - 0x10000; }
inline unsigned short length(std::size_t n) { return static_cast<unsigned short>(std::min<std::size_t>(n, 0xFFFF)); }

// `n` bytes, then zeros up to `size`, alone in an allocation of `size`
// bytes: a read past the end leaves it (AddressSanitizer, valgrind).
inline std::unique_ptr<unsigned char[]> exact(const void* bytes, std::size_t n, std::size_t size) {
    std::unique_ptr<unsigned char[]> mem(new unsigned char[size ? size : 1]());
    if (n) std::memcpy(mem.get(), bytes, n);
    return mem;
}

// call(dst) on `size` bytes (none below 1) of a fill pattern and 64 more that
// must keep it. With `at` >= 0 the result must be dst + at and a NUL must end
// the text, returned, inside `size`; with `at` < 0 nothing may be written.
template <typename Call>
std::string checked(int size, long at, Call call) {
    const std::size_t n = size > 0 ? std::size_t(size) : 0;
    std::unique_ptr<char[]> mem(new char[n + 64]);
    std::memset(mem.get(), 0xA5, n + 64);
    const void* result = call(mem.get());
    for (std::size_t i = at < 0 ? 0 : n; i < n + 64; ++i) require(mem[i] == char(0xA5));
    if (at < 0) return std::string();
    require(result == mem.get() + at && std::memchr(mem.get(), 0, n) != nullptr);
    return mem.get();
}

// A workspace full of garbage: no text may depend on what it held.
struct DirtyWorkspace : paketlog::Workspace {
    DirtyWorkspace() { std::memset(static_cast<paketlog::Workspace*>(this), 0x5A, sizeof(paketlog::Workspace)); }
};

// A decoder, call(nullptr, dst, size) in the legacy form, call(ws, ...) with a
// workspace: null and nothing written when `none`, else the line a dirty
// workspace gives in room for any line, cut at size - 1; that line returned.
template <typename Call>
std::string decoded(int size, bool none, long at, Call call) {
    const std::string line = checked(size, none ? -1 : at, [&](char* dst) {
        char* r = call(nullptr, dst, size);
        return require(!none || r == nullptr), r;
    });
    if (none) return line;
    DirtyWorkspace ws;
    const std::string whole = checked(16384, at, [&](char* dst) { return call(&ws, dst, 16384); });
    require(whole.size() < 16383 && line == whole.substr(0, std::size_t(size) - 1));
    return whole;
}
}  // namespace fuzz
#endif
