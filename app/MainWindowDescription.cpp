#include "app/MainWindowDescription.h"

#include <array>

#include "app/ControlIds.h"
#include "framework/PropertyIndex.h"
#include "recorder/MultimediaLibrary.h"

namespace sonavel {
namespace {

using namespace ids;
namespace p = property;

constexpr TypeCode kWaveRecord = MultimediaLibrary::kWaveRecordCode;

constexpr std::array kWindowSettings = {
    TypeSetting{p::kTitle, "Sonavel 1.0"},
    TypeSetting{p::kPositionMode, position_mode::kCentredOnScreen},
    TypeSetting{p::kBorder, 1},  // fixed single frame with a title bar
    TypeSetting{p::kSystemMenu, 1},
    TypeSetting{p::kMinimizeBox, 1},
    TypeSetting{p::kMaximizeBox, 1},
    TypeSetting{p::kMovable, 1},
    TypeSetting{p::kAlwaysOnTop, 0},
    TypeSetting{p::kOwnTaskbarButton, 1},
    TypeSetting{p::kDragByClientArea, 0},
    TypeSetting{p::kEscCloses, 0},
    TypeSetting{p::kEnterMovesFocus, 0},
    TypeSetting{p::kF1OpensHelp, 0},
};

constexpr std::array kSaveDialogSettings = {
    TypeSetting{p::kDialogKind, 1},  // save file
    TypeSetting{p::kDialogTitle, ""},      TypeSetting{p::kFileName, ""},
    TypeSetting{p::kFilter, ""},           TypeSetting{p::kInitialFilter, 0},
    TypeSetting{p::kInitialFolder, ""},    TypeSetting{p::kDefaultExtension, ".MP3"},
    TypeSetting{p::kPromptToCreate, 0},    TypeSetting{p::kFileMustExist, 0},
    TypeSetting{p::kOverwritePrompt, 1},   TypeSetting{p::kFolderMustExist, 0},
    TypeSetting{p::kKeepCurrentFolder, 0},
};

constexpr std::array kLabel1Text = {TypeSetting{p::kText, "录音文件保存位置："}};
constexpr std::array kButton1Text = {TypeSetting{p::kText, "保存位置(&O)"}};
constexpr std::array kLabel2Text = {TypeSetting{p::kText, "请您选择保存位置"}};
constexpr std::array kButton2Text = {TypeSetting{p::kText, "录音(&R)"}};
constexpr std::array kButton3Text = {TypeSetting{p::kText, "停止(&S)"}};
constexpr std::array kButton4Text = {TypeSetting{p::kText, "关于(&A)"}};
constexpr std::array kButton5Text = {TypeSetting{p::kText, "帮助(&H)"}};
constexpr std::array kButton6Text = {TypeSetting{p::kText, "退出(&Q)"}};
constexpr std::array kLabel3Text = {TypeSetting{p::kText, "录音状态："}};
constexpr std::array kLabel4Text = {TypeSetting{p::kText, "未录音"}};

constexpr std::array kButton1Click = {EventBinding{0, handler_offset::kSaveLocation}};
constexpr std::array kButton2Click = {EventBinding{0, handler_offset::kRecord}};
constexpr std::array kButton3Click = {EventBinding{0, handler_offset::kStop}};
constexpr std::array kButton4Click = {EventBinding{0, handler_offset::kAbout}};
constexpr std::array kButton5Click = {EventBinding{0, handler_offset::kHelp}};
constexpr std::array kButton6Click = {EventBinding{0, handler_offset::kQuit}};

constexpr UnitDescription Label(ControlId id, std::string_view name, Rect rect,
                                std::span<const TypeSetting> text) {
  return {type_code::kLabel, id, name, rect, 0, {}, 0, "", true, false, false, 0, {}, text};
}

constexpr UnitDescription Button(ControlId id, std::string_view name, Rect rect,
                                 std::span<const TypeSetting> text,
                                 std::span<const EventBinding> click) {
  return {type_code::kButton, id, name, rect, 0, {}, 0, "", true, false, true, 0, click, text};
}

// The window first, then the controls in listing order (stacking and mnemonic search order).
constexpr std::array kUnits = {
    UnitDescription{type_code::kWindow,
                    kMainWindowSelf,
                    "",
                    {50, 50, 250, 190},
                    0,
                    {},
                    0,
                    "",
                    true,
                    false,
                    false,
                    0,
                    {},
                    kWindowSettings},
    Label(kStatusLabel, "标签4", {120, 140, 80, 15}, kLabel4Text),
    Label(kLabel3, "标签3", {50, 140, 60, 15}, kLabel3Text),
    UnitDescription{kWaveRecord,
                    kRecorder,
                    "录音1",
                    {115, 0, 26, 26},
                    0,
                    {},
                    0,
                    "",
                    false,
                    false,
                    false,
                    0,
                    {},
                    {}},
    UnitDescription{type_code::kCommonDialog,
                    kSaveDialog,
                    "通用对话框1",
                    {110, 0, 35, 26},
                    0,
                    {},
                    0,
                    "",
                    false,
                    false,
                    false,
                    0,
                    {},
                    kSaveDialogSettings},
    Button(kButton6, "按钮6", {115, 95, 60, 25}, kButton6Text, kButton6Click),
    Button(kButton5, "按钮5", {50, 95, 60, 25}, kButton5Text, kButton5Click),
    Button(kButton4, "按钮4", {150, 55, 60, 25}, kButton4Text, kButton4Click),
    Button(kButton3, "按钮3", {85, 55, 60, 25}, kButton3Text, kButton3Click),
    Button(kButton2, "按钮2", {20, 55, 60, 25}, kButton2Text, kButton2Click),
    Label(kPathLabel, "标签2", {5, 30, 245, 15}, kLabel2Text),
    Button(kButton1, "按钮1", {162, 5, 80, 20}, kButton1Text, kButton1Click),
    // Never shown: it only holds the chosen path between clicks.
    UnitDescription{type_code::kEditBox,
                    kEditBox1,
                    "编辑框1",
                    {8, 0, 0, 0},
                    0,
                    {},
                    0,
                    "",
                    false,
                    false,
                    true,
                    0,
                    {},
                    {}},
    Label(kLabel1, "标签1", {30, 5, 100, 15}, kLabel1Text),
};

constexpr WindowDescription kMainWindowDescription{kMainWindow, kUnits};

}  // namespace

const WindowDescription& MainWindowDescription() {
  return kMainWindowDescription;
}

}  // namespace sonavel
