#pragma once
// Strings inside trace files are in the instrument's code page, taken as GBK.

#include <string>
#include <string_view>

namespace fv::cli {

// GBK bytes (ASCII-compatible) to UTF-8; undecodable bytes become U+FFFD.
std::string gbkToUtf8(std::string_view gbk);
// A zero-terminated field of at most N bytes.
template <size_t N>
std::string fieldText(const char (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n]) ++n;
    return gbkToUtf8(std::string_view(field, n));
}

}  // namespace fv::cli
