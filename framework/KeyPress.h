#pragma once

#include <cstdint>

namespace sonavel {

// A key press in the framework's terms. Keys are named by the virtual-key numbers of the
// Windows keyboard model, which every back-end maps its own key codes to.
struct KeyPress {
  std::uint32_t virtualKey = 0;
  bool alt = false;
  bool ctrl = false;
  bool shift = false;
};

namespace vk {
constexpr std::uint32_t kTab = 0x09;
constexpr std::uint32_t kReturn = 0x0D;
constexpr std::uint32_t kEscape = 0x1B;
constexpr std::uint32_t kSpace = 0x20;
constexpr std::uint32_t kLeft = 0x25;
constexpr std::uint32_t kUp = 0x26;
constexpr std::uint32_t kRight = 0x27;
constexpr std::uint32_t kDown = 0x28;
constexpr std::uint32_t kDigit0 = 0x30;   // '0' to '9' follow
constexpr std::uint32_t kLetterA = 0x41;  // 'A' to 'Z' follow
constexpr std::uint32_t kNumpad0 = 0x60;  // keypad 0 to 9 follow
constexpr std::uint32_t kF1 = 0x70;
constexpr std::uint32_t kF4 = 0x73;
}  // namespace vk

}  // namespace sonavel
