#include "platform/win32/Win32LabelWindow.h"

#include <string>

namespace sonavel::win32 {
namespace {

// The font handed over by WM_SETFONT lives in the window's extra bytes; the sender owns it.
constexpr int kFontSlot = 0;

HFONT FontOf(HWND label) {
  return reinterpret_cast<HFONT>(GetWindowLongPtrW(label, kFontSlot));
}

void Paint(HWND label, HDC dc) {
  RECT area;
  GetClientRect(label, &area);
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));

  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
  const HFONT font = FontOf(label);
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(IsWindowEnabled(label) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  if (previous != nullptr)
    SelectObject(dc, previous);
}

LRESULT CALLBACK LabelProcedure(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(label, &paint);
      Paint(label, dc);
      EndPaint(label, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(label, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      // WM_PAINT fills everything itself; erasing first would only flicker.
      return 1;
    case WM_SETFONT:
      SetWindowLongPtrW(label, kFontSlot, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam) != 0)
        InvalidateRect(label, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontOf(label));
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(label, message, wParam, lParam);
      InvalidateRect(label, nullptr, FALSE);
      return result;
    }
    case WM_ENABLE:
      InvalidateRect(label, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(label, message, wParam, lParam);
  }
}

}  // namespace

WNDCLASSEXW LabelWindowClass(HINSTANCE instance) {
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = &LabelProcedure;
  description.cbWndExtra = sizeof(HFONT);
  description.hInstance = instance;
  description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  description.lpszClassName = kLabelClassName;
  return description;
}

}  // namespace sonavel::win32
