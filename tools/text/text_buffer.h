// A growing byte buffer the caller owns and reuses: cleared between uses, it
// keeps its room, so steady work allocates nothing.
#ifndef PAKETLOG_TOOLS_TEXT_TEXT_BUFFER_H
#define PAKETLOG_TOOLS_TEXT_TEXT_BUFFER_H

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace paketlog {
namespace tool {

class TextBuffer {
public:
    TextBuffer() = default;
    TextBuffer(TextBuffer&&) = default;
    TextBuffer& operator=(TextBuffer&&) = default;

    const char* data() const { return data_.get(); }
    char* data() { return data_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t capacity() const { return capacity_; }
    std::string_view view() const { return {data_.get(), size_}; }
    void clear() { size_ = 0; }

    // Room for `n` more bytes after the end. Write at most `n` bytes there,
    // then commit() how many were written.
    char* room(std::size_t n) {
        if (capacity_ - size_ < n) grow(n);
        return data_.get() + size_;
    }
    void commit(std::size_t n) { size_ += n; }

    void append(const char* bytes, std::size_t n) {
        if (n == 0) return;
        std::memcpy(room(n), bytes, n);
        size_ += n;
    }
    void append(std::string_view text) { append(text.data(), text.size()); }
    void push_back(char c) {
        *room(1) = c;
        ++size_;
    }

private:
    void grow(std::size_t n) {
        std::size_t capacity = capacity_ < 256 ? 256 : capacity_;
        while (capacity - size_ < n) capacity *= 2;
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (size_ != 0) std::memcpy(bigger.get(), data_.get(), size_);
        data_ = std::move(bigger);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace tool
}  // namespace paketlog

#endif
