// What every fuzz target shares: reading its input, exact-size copies of the
// bytes it hands the library, destinations with a canary behind them, and the
// checks that stop the run at a broken promise.
#ifndef PAKETLOG_FUZZ_FUZZ_H
#define PAKETLOG_FUZZ_FUZZ_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "paketlog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fuzz {

// A broken promise ends the run on the spot; libFuzzer keeps the input, the
// replay program dies with it.
inline void require(bool ok) {
    if (!ok) __builtin_trap();
}

// Reads a target's input from the front: fixed fields first, the bytes
// handed to the library last. Fields past the end of the input read as 0.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    unsigned u8() { return pos_ < size_ ? data_[pos_++] : 0u; }
    unsigned u16() {
        const unsigned low = u8();
        return low | (u8() << 8);
    }
    const std::uint8_t* rest() const { return data_ + pos_; }
    std::size_t rest_size() const { return size_ - pos_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The `size` argument a target passes, from a 16-bit field: 0 to 65520 as
// they are, the 15 values above as -15 to -1.
inline int dest_size(unsigned field) {
    return field <= 0xFFF0u ? static_cast<int>(field) : static_cast<int>(field) - 0x10000;
}

// Bytes alone in a heap allocation of exactly their size: a read past the
// end leaves the allocation (AddressSanitizer, valgrind). `extra` zero
// bytes may be added behind them.
class Exact {
public:
    Exact(const void* bytes, std::size_t size, std::size_t extra = 0)
        : size_(size + extra), data_(new unsigned char[size_ ? size_ : 1]) {
        if (size) std::memcpy(data_.get(), bytes, size);
        if (extra) std::memset(data_.get() + size, 0, extra);
    }
    unsigned char* get() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::unique_ptr<unsigned char[]> data_;
};

// A destination of `size` bytes (none for a size of 0 or less) with a canary
// region behind it; all of it holds a fill pattern before the call.
class Dest {
public:
    static constexpr std::size_t kCanary = 64;
    static constexpr unsigned char kFill = 0xA5;

    explicit Dest(int size)
        : size_(size > 0 ? static_cast<std::size_t>(size) : 0), mem_(new char[size_ + kCanary]) {
        std::memset(mem_.get(), kFill, size_ + kCanary);
    }
    char* get() const { return mem_.get(); }
    std::size_t size() const { return size_; }

    // Nothing was written at or past `size`.
    void check_canary() const {
        for (std::size_t i = size_; i < size_ + kCanary; ++i) require(static_cast<unsigned char>(mem_[i]) == kFill);
    }
    // Nothing was written at all.
    void check_untouched() const {
        for (std::size_t i = 0; i < size_ + kCanary; ++i) require(static_cast<unsigned char>(mem_[i]) == kFill);
    }
    // A NUL-terminated text inside `size` and nothing behind it; its length.
    std::size_t check_line() const {
        check_canary();
        const void* nul = std::memchr(mem_.get(), 0, size_);
        require(nul != nullptr);
        return static_cast<std::size_t>(static_cast<const char*>(nul) - mem_.get());
    }

private:
    std::size_t size_;
    std::unique_ptr<char[]> mem_;
};

// Positions compared as numbers: a result may lie past a short destination.
inline bool points_at(const void* result, const void* base, std::size_t offset) {
    return reinterpret_cast<std::uintptr_t>(result) == reinterpret_cast<std::uintptr_t>(base) + offset;
}

// A caller's workspace holding garbage: no text may depend on what a
// workspace held before the call.
inline std::unique_ptr<paketlog::Workspace> dirty_workspace() {
    std::unique_ptr<paketlog::Workspace> ws(new paketlog::Workspace);
    std::memset(static_cast<void*>(ws.get()), 0x5A, sizeof *ws);
    return ws;
}

// Room for any line either decoder composes: the longest block text and
// the longest fields around it.
constexpr int kWholeLine = 16384;

// `text` holds `needle`.
inline bool contains(const char* text, const char* needle) { return std::strstr(text, needle) != nullptr; }

// The line in `dst` is the whole line cut at size - 1 characters.
inline void check_cut(const Dest& dst, std::size_t length, const char* whole) {
    const std::size_t whole_length = std::strlen(whole);
    const std::size_t expected = whole_length < dst.size() - 1 ? whole_length : dst.size() - 1;
    require(length == expected);
    require(std::memcmp(dst.get(), whole, length) == 0);
}

}  // namespace fuzz

#endif
