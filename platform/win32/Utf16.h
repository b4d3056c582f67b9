#pragma once

#include <string>
#include <string_view>

// Texts are UTF-8 inside the program and UTF-16 at the system's boundary, so Chinese captions
// and any chosen path work on every Windows locale.
namespace sonavel::win32 {

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

}  // namespace sonavel::win32
