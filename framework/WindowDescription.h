#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

#include "framework/ControlId.h"
#include "framework/Geometry.h"
#include "framework/TypeCode.h"

namespace sonavel {

// One event binding: the event's number and the handler, stored as an offset from the program's
// handler base (-1: no handler).
struct EventBinding {
  std::int32_t event = 0;
  std::int32_t handlerOffset = -1;
};

// A setting of the unit's type, addressed by its property index (8 and up).
struct TypeSetting {
  std::int32_t index = 0;
  std::variant<std::int32_t, std::string_view> value;
};

// The stored description of one unit: the window itself or one of its controls.
struct UnitDescription {
  TypeCode type = 0;
  ControlId unitId = 0;
  std::string_view name;
  Rect rect;  // a window's outer rectangle on the screen; a control's, relative to the client area
  ControlId container = 0;  // 0: the window itself
  std::span<const ControlId> contents;
  std::int32_t mousePointer = 0;  // 0: the default arrow
  std::string_view tag;
  bool shown = true;
  bool disabled = false;
  bool tabStop = false;
  std::int32_t tabOrder = 0;
  std::span<const EventBinding> events;
  std::span<const TypeSetting> settings;
};

// A window and its controls. The window comes first, then the controls in listing order, which
// decides stacking (first is topmost) and the order of the mnemonic search.
struct WindowDescription {
  ControlId windowId = 0;
  std::span<const UnitDescription> units;
};

// Events of a window unit.
namespace window_event {
constexpr std::int32_t kCreated = 0;
constexpr std::int32_t kCloseQuery = 1;
constexpr std::int32_t kDestroyed = 2;
constexpr std::int32_t kMoved = 3;
constexpr std::int32_t kResized = 4;
}  // namespace window_event

// Events of a button.
namespace button_event {
constexpr std::int32_t kClick = 0;
}

}  // namespace sonavel
