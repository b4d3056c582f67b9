#include "platform/win32/Win32KeyMapping.h"

namespace sonavel::win32 {
namespace {

constexpr LPARAM kAltContextBit = LPARAM{1} << 29;

bool Down(int virtualKey) {
  return GetKeyState(virtualKey) < 0;
}

// The key of a character typed with Alt, for letters and digits only.
std::optional<std::uint32_t> KeyOfCharacter(WPARAM character) {
  if (character >= L'a' && character <= L'z')
    return vk::kLetterA + static_cast<std::uint32_t>(character - L'a');
  if (character >= L'A' && character <= L'Z')
    return vk::kLetterA + static_cast<std::uint32_t>(character - L'A');
  if (character >= L'0' && character <= L'9')
    return vk::kDigit0 + static_cast<std::uint32_t>(character - L'0');
  return std::nullopt;
}

}  // namespace

std::optional<KeyPress> FrameworkKeyOf(const MSG& message) {
  std::optional<std::uint32_t> virtualKey;
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      virtualKey = static_cast<std::uint32_t>(message.wParam);
      break;
    case WM_SYSCHAR:
      virtualKey = KeyOfCharacter(message.wParam);
      break;
    default:
      break;
  }
  if (!virtualKey)
    return std::nullopt;
  return KeyPress{*virtualKey, (message.lParam & kAltContextBit) != 0 || Down(VK_MENU),
                  Down(VK_CONTROL), Down(VK_SHIFT)};
}

}  // namespace sonavel::win32
