#pragma once
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace mrt {

// Bytes in one growable block, for reads and texts that are written over at once: growing it with
// resizeForOverwrite leaves the new bytes as they are instead of clearing them first, and clear()
// keeps the block, so a buffer used again costs no allocation. The members a file's bytes need of
// std::string have its meaning.
class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer& o) { append(o.data(), o.size()); }
    ByteBuffer& operator=(const ByteBuffer& o) {
        if (this != &o) {
            clear();
            append(o.data(), o.size());
        }
        return *this;
    }
    ByteBuffer(ByteBuffer&& o) noexcept { swap(o); }
    ByteBuffer& operator=(ByteBuffer&& o) noexcept {
        ByteBuffer gone(std::move(*this));
        swap(o);
        return *this;
    }
    void swap(ByteBuffer& o) noexcept {
        std::swap(m_bytes, o.m_bytes);
        std::swap(m_size, o.m_size);
        std::swap(m_capacity, o.m_capacity);
    }

    char* data() { return m_bytes.get(); }
    const char* data() const { return m_bytes.get(); }
    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    std::string_view view() const { return {data(), m_size}; }
    operator std::string_view() const { return view(); }

    void clear() { m_size = 0; }
    void reserve(size_t n) {
        if (n > m_capacity) regrow(n);
    }
    // The size becomes n; bytes beyond the old size are left unwritten, for the caller to fill.
    void resizeForOverwrite(size_t n) {
        if (n > m_capacity) regrow(std::max(n, m_capacity + m_capacity / 2));
        m_size = n;
    }
    // The size becomes n; bytes beyond the old size are `fill`.
    void resize(size_t n, char fill) {
        const size_t old = m_size;
        resizeForOverwrite(n);
        if (n > old) std::memset(data() + old, fill, n - old);
    }
    // Room for n more bytes at the end: where they go. The size grows by n.
    char* extend(size_t n) {
        const size_t at = m_size;
        resizeForOverwrite(m_size + n);
        return data() + at;
    }
    // Drops the bytes from n on (n ≤ size()).
    void truncate(size_t n) { m_size = std::min(n, m_size); }

    void append(const char* p, size_t n) {
        if (n) std::memcpy(extend(n), p, n);
    }
    void append(std::string_view s) { append(s.data(), s.size()); }
    ByteBuffer& operator+=(std::string_view s) {
        append(s);
        return *this;
    }
    ByteBuffer& operator+=(char c) {
        *extend(1) = c;
        return *this;
    }
    // `s` put in at byte `pos` (≤ size()), the bytes from there on moved behind it.
    void insert(size_t pos, std::string_view s) {
        const size_t tail = m_size - pos;
        extend(s.size());
        std::memmove(data() + pos + s.size(), data() + pos, tail);
        std::memcpy(data() + pos, s.data(), s.size());
    }

    bool operator==(std::string_view s) const { return view() == s; }

private:
    void regrow(size_t n) {
        // make_unique_for_overwrite: the block is not cleared.
        auto bigger = std::make_unique_for_overwrite<char[]>(n);
        if (m_size) std::memcpy(bigger.get(), m_bytes.get(), m_size);
        m_bytes = std::move(bigger);
        m_capacity = n;
    }

    std::unique_ptr<char[]> m_bytes;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace mrt
