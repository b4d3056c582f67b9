#pragma once

#include <string>

#include "platform/win32/WindowsApi.h"

namespace sonavel::win32 {

// A window class of the module, registered for as long as this object lives. A class that could
// not be registered (its name taken already) leaves Registered() false, and windows of it then
// fail to be created, which their creators report.
class Win32WindowClass final {
 public:
  explicit Win32WindowClass(const WNDCLASSEXW& description);
  ~Win32WindowClass();
  Win32WindowClass(const Win32WindowClass&) = delete;
  Win32WindowClass& operator=(const Win32WindowClass&) = delete;

  const wchar_t* Name() const { return name_.c_str(); }
  bool Registered() const { return atom_ != 0; }

 private:
  HINSTANCE instance_;
  std::wstring name_;
  ATOM atom_;
};

}  // namespace sonavel::win32
