#include "framework/LoadedWindow.h"

#include <algorithm>

namespace sonavel {

RuntimeUnit::RuntimeUnit(const CatalogUnit& entry)
    : catalog(&entry),
      rect(entry.description->rect),
      shown(entry.description->shown),
      disabled(entry.description->disabled),
      tag(entry.description->tag),
      mousePointer(entry.description->mousePointer) {
  for (const OwnProperty& property : entry.type.properties) {
    own[property.index] = property.kind == PropertyKind::kText ? PropertySlot(std::string())
                                                               : PropertySlot(std::int32_t{0});
  }
  for (const TypeSetting& setting : entry.description->settings) {
    if (const auto* text = std::get_if<std::string_view>(&setting.value)) {
      own[setting.index] = std::string(*text);
    } else {
      own[setting.index] = std::get<std::int32_t>(setting.value);
    }
  }
}

std::string_view RuntimeUnit::Text() const {
  const auto found = own.find(Type().textProperty);
  if (found == own.end())
    return {};
  return std::get<std::string>(found->second);
}

std::int32_t RuntimeUnit::Integer(std::int32_t index) const {
  const auto found = own.find(index);
  if (found == own.end())
    return 0;
  const auto* number = std::get_if<std::int32_t>(&found->second);
  return number != nullptr ? *number : 0;
}

LoadedWindow::LoadedWindow(const CatalogWindow& entry) : id_(entry.windowId) {
  units_.reserve(entry.units.size());
  for (const CatalogUnit& unit : entry.units)
    units_.emplace_back(unit);
}

int LoadedWindow::IndexOf(ControlId unitId) const {
  for (std::size_t i = 0; i < units_.size(); ++i) {
    if (units_[i].Id() == unitId)
      return static_cast<int>(i);
  }
  return -1;
}

int LoadedWindow::IndexOfHandle(WindowHandle handle) const {
  if (handle == 0)
    return -1;
  for (std::size_t i = 0; i < units_.size(); ++i) {
    if (units_[i].handle == handle)
      return static_cast<int>(i);
  }
  return -1;
}

bool LoadedWindow::IsTabStop(int index) const {
  if (index <= 0 || static_cast<std::size_t>(index) >= units_.size())
    return false;
  const RuntimeUnit& unit = units_[index];
  return unit.handle != 0 && unit.shown && !unit.disabled && unit.Type().visual &&
         unit.Type().takesFocus && unit.Description().tabStop;
}

std::vector<int> LoadedWindow::TabOrder() const {
  std::vector<int> order;
  // Walking the listing backwards visits the controls in creation order.
  for (int i = static_cast<int>(units_.size()) - 1; i > 0; --i) {
    if (IsTabStop(i))
      order.push_back(i);
  }
  std::ranges::stable_sort(order, {}, [this](int i) { return units_[i].Description().tabOrder; });
  return order;
}

}  // namespace sonavel
