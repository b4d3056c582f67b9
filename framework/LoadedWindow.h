#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "framework/Desktop.h"
#include "framework/ProgramCatalog.h"
#include "framework/SupportLibrary.h"

namespace sonavel {

using PropertySlot = std::variant<std::int32_t, std::string>;

// The run-time state of one unit of a loaded window.
struct RuntimeUnit {
  explicit RuntimeUnit(const CatalogUnit& entry);

  const CatalogUnit* catalog;
  WindowHandle handle = 0;  // 0 for units without a system window of the framework's own
  Rect rect;
  bool shown;
  bool disabled;
  std::string tag;
  std::int32_t mousePointer;
  std::map<std::int32_t, PropertySlot> own;  // the type's own properties, by index
  std::unique_ptr<ComponentObject> object;   // component types of other libraries

  const UnitType& Type() const { return catalog->type; }
  const UnitDescription& Description() const { return *catalog->description; }
  ControlId Id() const { return catalog->description->unitId; }
  std::string_view Text() const;
  std::int32_t Integer(std::int32_t index) const;
};

// A window created from its description, with its units in listing order (the window first).
class LoadedWindow {
 public:
  explicit LoadedWindow(const CatalogWindow& entry);

  ControlId Id() const { return id_; }
  std::vector<RuntimeUnit>& Units() { return units_; }
  const std::vector<RuntimeUnit>& Units() const { return units_; }
  RuntimeUnit& Self() { return units_.front(); }
  const RuntimeUnit& Self() const { return units_.front(); }
  WindowHandle Handle() const { return units_.front().handle; }

  // Index of the unit with this id or this handle, or -1.
  int IndexOf(ControlId unitId) const;
  int IndexOfHandle(WindowHandle handle) const;

  // A control that can be in the tab order: shown, enabled, visual, takes the focus, tab stop.
  bool IsTabStop(int index) const;
  // Controls sorted by tab-order number, equal numbers in creation order (the reverse of the
  // listing order).
  std::vector<int> TabOrder() const;

  bool alive = true;
  bool markedForDestroy = false;
  int focused = -1;     // the unit that has the focus, -1 none
  int remembered = -1;  // the unit that had the focus when the window was last deactivated

 private:
  ControlId id_;
  std::vector<RuntimeUnit> units_;
};

}  // namespace sonavel
