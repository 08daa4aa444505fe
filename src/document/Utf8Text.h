#pragma once
// Byte limits on UTF-8 text that never split a character.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fv {

// At most `limit` bytes of `s`, without splitting a UTF-8 sequence.
inline std::string_view utf8Prefix(std::string_view s, size_t limit) {
    if (s.size() <= limit) return s;
    size_t n = limit;
    while (n > 0 && (uint8_t(s[n]) & 0xC0) == 0x80) --n;
    return s.substr(0, n);
}

// The number of characters (not bytes) of UTF-8 text.
inline size_t utf8Length(std::string_view s) {
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (uint8_t(c) & 0xC0) != 0x80; }));
}

}  // namespace fv
