#pragma once

#include "platform/win32/WindowsApi.h"

// The framework's label on Windows: a window class of ours rather than the system's static
// control, whose drawing differs between versions and themes. A label fills its whole client
// area with the button-face colour and draws its window text on one line, left-aligned and
// vertically centred, in the font given with WM_SETFONT; "&" underlines the next character and
// "&&" draws one "&"; text that does not fit is cut off at the edge, without an ellipsis. A
// disabled label draws its text in the grey of disabled text. WM_PRINTCLIENT draws the same.
namespace sonavel::win32 {

inline constexpr wchar_t kLabelClassName[] = L"SonavelLabel";

// The description to register the label class with, for the module.
WNDCLASSEXW LabelWindowClass(HINSTANCE instance);

}  // namespace sonavel::win32
