#pragma once
// The program's texts, by number. Each entry has a Chinese text, which is what the program
// shows, and an English one carried alongside.

namespace fv {

using TextId = int;
inline constexpr int kTextCount = 154;

// The Chinese (shown) text of entry id, UTF-8, zero-terminated; "" outside 0..kTextCount-1.
const char* textOf(TextId id);
// The English text of entry id.
const char* englishTextOf(TextId id);

}  // namespace fv
