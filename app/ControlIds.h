#pragma once

#include "framework/ControlId.h"

// The identities of the main window and its units.
namespace sonavel::ids {

constexpr ControlId kMainWindow = 0x52010001;
constexpr ControlId kMainWindowSelf = 0x06010000;
constexpr ControlId kLabel1 = 0x16010002;
constexpr ControlId kEditBox1 = 0x16010003;
constexpr ControlId kButton1 = 0x16010004;
constexpr ControlId kPathLabel = 0x16010005;  // 标签2
constexpr ControlId kButton2 = 0x16010006;
constexpr ControlId kButton3 = 0x16010007;
constexpr ControlId kButton4 = 0x16010008;
constexpr ControlId kButton5 = 0x16010009;
constexpr ControlId kButton6 = 0x1601000A;
constexpr ControlId kSaveDialog = 0x1601000B;  // 通用对话框1
constexpr ControlId kRecorder = 0x1601000C;    // 录音1
constexpr ControlId kLabel3 = 0x16010019;
constexpr ControlId kStatusLabel = 0x1601001A;  // 标签4

}  // namespace sonavel::ids
