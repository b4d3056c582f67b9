#pragma once

#include <optional>

#include "framework/KeyPress.h"
#include "platform/win32/WindowsApi.h"

namespace sonavel::win32 {

// The framework's key for a key message, or nothing for messages that are not key presses.
// WM_KEYDOWN and WM_SYSKEYDOWN carry the virtual key itself (the framework counts in Windows'
// numbers). WM_SYSCHAR of a letter or digit stands for Alt+that key: such a character can come
// without a key press of its own (an on-screen keyboard typing it), and if it reached the
// system unasked, the system would look for a menu mnemonic and beep.
// Alt is down when the message says so (a WM_SYS* message's context bit) or the keyboard
// does; Ctrl and Shift come from the keyboard's state as of this message.
std::optional<KeyPress> FrameworkKeyOf(const MSG& message);

}  // namespace sonavel::win32
