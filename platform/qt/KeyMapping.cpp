#include "platform/qt/KeyMapping.h"

namespace sonavel::qt {

KeyPress ToKeyPress(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  KeyPress key{0, modifiers.testFlag(Qt::AltModifier), modifiers.testFlag(Qt::ControlModifier),
               modifiers.testFlag(Qt::ShiftModifier)};
  const int code = event.key();
  if (code >= Qt::Key_0 && code <= Qt::Key_9) {
    const auto digit = static_cast<std::uint32_t>(code - Qt::Key_0);
    key.virtualKey =
        modifiers.testFlag(Qt::KeypadModifier) ? vk::kNumpad0 + digit : vk::kDigit0 + digit;
  } else if (code >= Qt::Key_A && code <= Qt::Key_Z) {
    key.virtualKey = vk::kLetterA + static_cast<std::uint32_t>(code - Qt::Key_A);
  } else {
    switch (code) {
      case Qt::Key_Tab:
        key.virtualKey = vk::kTab;
        break;
      case Qt::Key_Backtab:
        key.virtualKey = vk::kTab;
        key.shift = true;
        break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        key.virtualKey = vk::kReturn;
        break;
      case Qt::Key_Escape:
        key.virtualKey = vk::kEscape;
        break;
      case Qt::Key_Space:
        key.virtualKey = vk::kSpace;
        break;
      case Qt::Key_Left:
        key.virtualKey = vk::kLeft;
        break;
      case Qt::Key_Up:
        key.virtualKey = vk::kUp;
        break;
      case Qt::Key_Right:
        key.virtualKey = vk::kRight;
        break;
      case Qt::Key_Down:
        key.virtualKey = vk::kDown;
        break;
      case Qt::Key_F1:
        key.virtualKey = vk::kF1;
        break;
      case Qt::Key_F4:
        key.virtualKey = vk::kF4;
        break;
      default:
        break;
    }
  }
  return key;
}

}  // namespace sonavel::qt
