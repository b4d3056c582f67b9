// Building a loaded window on the desktop from its description.
#include <vector>

#include "framework/Framework.h"
#include "framework/PropertyIndex.h"

namespace sonavel {

bool Framework::CreateWindow(LoadedWindow& window) {
  RuntimeUnit& self = window.Self();
  Rect outer = self.rect;
  if (self.Integer(property::kPositionMode) == position_mode::kCentredOnScreen) {
    const Size screen = desktop_.ScreenSize();
    outer.left = (screen.width - outer.width) / 2;
    outer.top = (screen.height - outer.height) / 2;
  }
  const FrameStyle frame{self.Integer(property::kSystemMenu) != 0,
                         self.Integer(property::kMinimizeBox) != 0,
                         self.Integer(property::kMaximizeBox) != 0};
  self.handle = desktop_.CreateTopLevel({self.Text(), outer, frame});
  if (self.handle == 0)
    return false;
  const Rect created = desktop_.OuterRect(self.handle);
  if (created.width != outer.width || created.height != outer.height) {
    desktop_.SetOuterRect(self.handle, outer);
  }
  self.rect = outer;

  std::vector<RuntimeUnit>& units = window.Units();
  for (std::size_t i = units.size() - 1; i > 0; --i) {
    if (!CreateControl(window, units[i]))
      return false;
  }

  std::vector<WindowHandle> stacking;
  for (std::size_t i = 1; i < units.size(); ++i) {
    if (units[i].handle != 0)
      stacking.push_back(units[i].handle);
  }
  desktop_.StackControls(self.handle, stacking);
  for (std::size_t i = units.size() - 1; i > 0; --i) {
    if (units[i].handle != 0 && units[i].shown && units[i].Type().visual) {
      desktop_.ShowWithoutActivating(units[i].handle);
    }
  }

  for (std::int32_t event :
       {window_event::kCreated, window_event::kMoved, window_event::kResized}) {
    if (!window.alive)
      return true;
    FireEvent(window, 0, event);
  }
  if (!window.alive)
    return true;
  desktop_.ShowActive(self.handle);
  activeWindow_ = window.Id();
  GiveFocus(window);
  return true;
}

bool Framework::CreateControl(LoadedWindow& window, RuntimeUnit& unit) {
  const UnitType& type = unit.Type();
  const UnitDescription& description = unit.Description();
  if (LibraryNumberOf(type.code) == 1) {
    // The common dialog keeps settings only; it has no window until it is opened.
    if (type.controlKind == ControlKind::kHidden)
      return true;
    unit.handle = desktop_.CreateControl(window.Handle(), {type.controlKind, unit.rect, unit.Text(),
                                                           unit.disabled, description.tabStop});
    return unit.handle != 0;
  }
  SupportLibrary& library = *program_.libraries[LibraryNumberOf(type.code) - 1];
  CreationRoutine create = library.ComponentTypeEntry(TypeNumberOf(type.code), 1);
  // Types without a visible form get no visibility in their style bits.
  constexpr std::uint32_t kVisibleStyle = 0x10000000;
  const std::uint32_t style = type.visual && unit.shown ? kVisibleStyle : 0;
  unit.object = create({desktop_, window.Handle(), style, unit.rect, window.Id(), unit.Id()});
  return unit.object != nullptr;
}

}  // namespace sonavel
