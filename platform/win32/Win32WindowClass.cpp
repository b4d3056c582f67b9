#include "platform/win32/Win32WindowClass.h"

namespace sonavel::win32 {

Win32WindowClass::Win32WindowClass(const WNDCLASSEXW& description)
    : instance_(description.hInstance),
      name_(description.lpszClassName),
      atom_(RegisterClassExW(&description)) {}

Win32WindowClass::~Win32WindowClass() {
  if (atom_ != 0)
    UnregisterClassW(name_.c_str(), instance_);
}

}  // namespace sonavel::win32
