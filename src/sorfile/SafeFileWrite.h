#pragma once
// Writing a whole file so that a failure never leaves a half-written or lost file.

#include <cstdint>
#include <span>
#include <string>

namespace fv {

// Writes `bytes` to `path`: into a temporary file in the target's folder (the folder of
// the link's target when `path` is a symbolic link), with the existing file's permission
// bits, then renamed over the target. When the folder cannot be written but the file can,
// the file is rewritten in place, checking every write. On failure returns false and
// `error` says why, naming the path; the existing file is left as it was wherever the
// system allows.
bool writeFileSafely(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

// Reads a whole file into `buffer`. Returns the number of bytes read, or -1 when it cannot
// be opened or read (`error` says why); `truncated` is set when the file is larger than
// the buffer. Allocates nothing.
long readWholeFile(const char* path, std::span<uint8_t> buffer, bool& truncated, std::string* error = nullptr);

}  // namespace fv
