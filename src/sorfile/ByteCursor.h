#pragma once
// Bounds-checked little-endian cursors over a byte range. A read past the end fails and
// leaves the destination as it was; a write past the end fails and writes nothing. Once a
// cursor has failed it stays failed, so a block decoder can read all its fields and check
// once at the end.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

namespace fv {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t begin, size_t end) : data_(data), pos_(begin), end_(end) {}

    size_t position() const { return pos_; }
    size_t remaining() const { return failed_ ? 0 : end_ - pos_; }
    bool failed() const { return failed_; }

    bool readI16(int16_t& v) { return readRaw(v); }
    bool readU16(uint16_t& v) { return readRaw(v); }
    bool readI32(int32_t& v) { return readRaw(v); }
    bool readU32(uint32_t& v) { return readRaw(v); }

    // A fixed field of n characters without terminator.
    bool readFixed(char* dst, size_t n) {
        if (!take(n)) return false;
        std::memcpy(dst, data_ + pos_ - n, n);
        return true;
    }
    bool skip(size_t n) { return take(n); }

    // A zero-terminated string into a field of `capacity` bytes: clipped to capacity - 1
    // characters but consumed whole. `clipped` is set when the string did not fit or its
    // zero byte was missing before the end (then the rest of the range is consumed).
    bool readString(char* dst, size_t capacity, bool& clipped) {
        if (failed_) return false;
        size_t start = pos_, n = 0;
        while (start + n < end_ && data_[start + n] != 0) ++n;
        bool terminated = start + n < end_;
        size_t keep = n < capacity - 1 ? n : capacity - 1;
        std::memcpy(dst, data_ + start, keep);
        dst[keep] = 0;
        if (keep < n || !terminated) clipped = true;
        pos_ = terminated ? start + n + 1 : end_;
        if (!terminated) failed_ = true;
        return terminated;
    }
    // Skips a zero-terminated string.
    bool skipString() {
        char scratch[1];
        bool clipped = false;
        return readString(scratch, 1, clipped);
    }

private:
    template <class T>
    bool readRaw(T& v) {
        if (!take(sizeof(T))) return false;
        uint8_t b[sizeof(T)];
        std::memcpy(b, data_ + pos_ - sizeof(T), sizeof(T));
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (size_t i = sizeof(T); i-- > 0;) u = U((u << 8) | b[i]);
        v = T(u);
        return true;
    }
    bool take(size_t n) {
        if (failed_ || end_ - pos_ < n) {
            failed_ = true;
            return false;
        }
        pos_ += n;
        return true;
    }

    const uint8_t* data_;
    size_t pos_, end_;
    bool failed_ = false;
};

class ByteWriter {
public:
    explicit ByteWriter(std::span<uint8_t> out) : out_(out) {}

    size_t position() const { return pos_; }
    bool failed() const { return failed_; }

    void i16(int16_t v) { raw(uint16_t(v), 2); }
    void u16(uint16_t v) { raw(v, 2); }
    void i32(int32_t v) { raw(uint32_t(v), 4); }
    void u32(uint32_t v) { raw(v, 4); }
    void fixed(std::string_view s, size_t n) {  // padded with zero bytes
        if (!room(n)) return;
        for (size_t i = 0; i < n; ++i) out_[pos_ + i] = i < s.size() ? uint8_t(s[i]) : 0;
        pos_ += n;
    }
    void string(const char* s) {  // with its zero byte
        size_t n = std::strlen(s) + 1;
        if (!room(n)) return;
        std::memcpy(out_.data() + pos_, s, n);
        pos_ += n;
    }
    void bytes(const uint8_t* src, size_t n) {
        if (!room(n)) return;
        std::memcpy(out_.data() + pos_, src, n);
        pos_ += n;
    }
    // Patches an int32 already written at `at`.
    void patchI32(size_t at, int32_t v) {
        if (at + 4 > pos_) return;
        for (int i = 0; i < 4; ++i) out_[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    }

private:
    void raw(uint32_t v, size_t n) {
        if (!room(n)) return;
        for (size_t i = 0; i < n; ++i) out_[pos_ + i] = uint8_t(v >> (8 * i));
        pos_ += n;
    }
    bool room(size_t n) {
        if (failed_ || out_.size() - pos_ < n) {
            failed_ = true;
            return false;
        }
        return true;
    }

    std::span<uint8_t> out_;
    size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace fv
