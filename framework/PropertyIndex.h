#pragma once

#include <cstdint>

namespace sonavel {

// Properties are addressed by index: 0 to 7 are common to every unit, a type's own start at 8.
namespace property {
constexpr std::int32_t kLeft = 0;
constexpr std::int32_t kTop = 1;
constexpr std::int32_t kWidth = 2;
constexpr std::int32_t kHeight = 3;
constexpr std::int32_t kTag = 4;
constexpr std::int32_t kShown = 5;
constexpr std::int32_t kDisabled = 6;
constexpr std::int32_t kMousePointer = 7;
constexpr std::int32_t kFirstOwn = 8;

// Window.
constexpr std::int32_t kTitle = 8;
constexpr std::int32_t kPositionMode = 9;  // 0 at the stored position, 1 centred on the screen
constexpr std::int32_t kBorder = 10;       // 1 fixed single frame (dialog-style)
constexpr std::int32_t kSystemMenu = 11;
constexpr std::int32_t kMinimizeBox = 12;
constexpr std::int32_t kMaximizeBox = 13;
constexpr std::int32_t kMovable = 14;
constexpr std::int32_t kAlwaysOnTop = 15;
constexpr std::int32_t kOwnTaskbarButton = 16;
constexpr std::int32_t kDragByClientArea = 17;
constexpr std::int32_t kEscCloses = 18;
constexpr std::int32_t kEnterMovesFocus = 19;
constexpr std::int32_t kF1OpensHelp = 20;

// Label and button caption, edit box content.
constexpr std::int32_t kText = 8;

// Common dialog.
constexpr std::int32_t kDialogKind = 8;
constexpr std::int32_t kDialogTitle = 9;
constexpr std::int32_t kFileName = 10;
constexpr std::int32_t kFilter = 11;
constexpr std::int32_t kInitialFilter = 12;
constexpr std::int32_t kInitialFolder = 13;
constexpr std::int32_t kDefaultExtension = 14;
constexpr std::int32_t kPromptToCreate = 15;
constexpr std::int32_t kFileMustExist = 16;
constexpr std::int32_t kOverwritePrompt = 17;
constexpr std::int32_t kFolderMustExist = 18;
constexpr std::int32_t kKeepCurrentFolder = 19;
}  // namespace property

namespace position_mode {
constexpr std::int32_t kStored = 0;
constexpr std::int32_t kCentredOnScreen = 1;
}  // namespace position_mode

}  // namespace sonavel
