#include "framework/UnitType.h"

#include <array>

#include "framework/PropertyIndex.h"

namespace sonavel {
namespace {

using enum PropertyKind;

constexpr std::array kWindowProperties = {
    OwnProperty{property::kTitle, kText},
    OwnProperty{property::kPositionMode, kInteger},
    OwnProperty{property::kBorder, kInteger},
    OwnProperty{property::kSystemMenu, kLogical},
    OwnProperty{property::kMinimizeBox, kLogical},
    OwnProperty{property::kMaximizeBox, kLogical},
    OwnProperty{property::kMovable, kLogical},
    OwnProperty{property::kAlwaysOnTop, kLogical},
    OwnProperty{property::kOwnTaskbarButton, kLogical},
    OwnProperty{property::kDragByClientArea, kLogical},
    OwnProperty{property::kEscCloses, kLogical},
    OwnProperty{property::kEnterMovesFocus, kLogical},
    OwnProperty{property::kF1OpensHelp, kLogical},
};

constexpr std::array kTextProperties = {OwnProperty{property::kText, kText}};

constexpr std::array kCommonDialogProperties = {
    OwnProperty{property::kDialogKind, kInteger},
    OwnProperty{property::kDialogTitle, kText},
    OwnProperty{property::kFileName, kText},
    OwnProperty{property::kFilter, kText},
    OwnProperty{property::kInitialFilter, kInteger},
    OwnProperty{property::kInitialFolder, kText},
    OwnProperty{property::kDefaultExtension, kText},
    OwnProperty{property::kPromptToCreate, kLogical},
    OwnProperty{property::kFileMustExist, kLogical},
    OwnProperty{property::kOverwritePrompt, kLogical},
    OwnProperty{property::kFolderMustExist, kLogical},
    OwnProperty{property::kKeepCurrentFolder, kLogical},
};

constexpr std::array kCoreTypes = {
    UnitType{type_code::kWindow, ControlKind::kHidden, true, true, false, false, property::kTitle,
             kWindowProperties},
    UnitType{type_code::kLabel, ControlKind::kLabel, false, true, false, true, property::kText,
             kTextProperties},
    UnitType{type_code::kButton, ControlKind::kButton, false, true, true, true, property::kText,
             kTextProperties},
    UnitType{type_code::kEditBox, ControlKind::kEditBox, false, true, true, false, property::kText,
             kTextProperties},
    UnitType{type_code::kCommonDialog, ControlKind::kHidden, false, false, false, false, -1,
             kCommonDialogProperties},
};

}  // namespace

const UnitType* FindCoreUnitType(TypeCode code) {
  for (const UnitType& type : kCoreTypes) {
    if (type.code == code)
      return &type;
  }
  return nullptr;
}

UnitType ComponentUnitType(TypeCode code, bool visibleForm) {
  return UnitType{code, ControlKind::kHidden, false, visibleForm, false, false, -1, {}};
}

}  // namespace sonavel
