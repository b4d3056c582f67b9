#pragma once

#include "framework/WindowDescription.h"

namespace sonavel {

// The stored description of the main window and its controls.
const WindowDescription& MainWindowDescription();

// Places of the click handlers in the program's handler table (the handler base is place 0).
namespace handler_offset {
constexpr std::int32_t kSaveLocation = 0;
constexpr std::int32_t kRecord = 1;
constexpr std::int32_t kStop = 2;
constexpr std::int32_t kAbout = 3;
constexpr std::int32_t kHelp = 4;
constexpr std::int32_t kQuit = 5;
}  // namespace handler_offset

}  // namespace sonavel
