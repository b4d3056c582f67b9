#pragma once

#include <cstdint>

namespace sonavel {

// Identity of a window or of a unit on it. Every property access and command names its target
// by the pair (window id, unit id).
using ControlId = std::uint32_t;

// A unit id whose top four bits are zero names the window itself; controls have them non-zero.
constexpr bool NamesWindowItself(ControlId unitId) {
  return (unitId & 0xF0000000u) == 0;
}

}  // namespace sonavel
