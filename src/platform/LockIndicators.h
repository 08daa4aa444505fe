#pragma once
// Caps, num and scroll lock as the keyboard shows them.

#include <array>
#include <optional>

namespace fv {

// The three lock states, or nothing where the window system does not tell (offscreen,
// Wayland).
std::optional<std::array<bool, 3>> readLockStates();

}  // namespace fv
