// Reading and writing unit properties by index.
#include <cstring>
#include <string>

#include "framework/FatalMessages.h"
#include "framework/Framework.h"
#include "framework/PropertyIndex.h"

namespace sonavel {
namespace {

PropertyValue Integer(std::int32_t number) {
  return {static_cast<std::uint32_t>(number), 0};
}

}  // namespace

PropertyValue Framework::ReadProperty(ControlId windowId, ControlId unitId, std::int32_t index,
                                      std::int32_t element) {
  RequireStarted();
  RuntimeUnit& unit = RequireUnit(windowId, unitId);
  if (element != -1)
    RuntimeErrorReport(fatal_message::kElementIndexUnsupported, 0);

  auto copyText = [this](std::string_view text) -> PropertyValue {
    if (text.empty())
      return {};
    auto* block = static_cast<char*>(AllocateMemory(static_cast<std::int64_t>(text.size()) + 1));
    std::memcpy(block, text.data(), text.size());
    block[text.size()] = '\0';
    return {reinterpret_cast<std::uintptr_t>(block), 0};
  };
  switch (index) {
    case property::kLeft:
      return Integer(unit.rect.left);
    case property::kTop:
      return Integer(unit.rect.top);
    case property::kWidth:
      return Integer(unit.rect.width);
    case property::kHeight:
      return Integer(unit.rect.height);
    case property::kTag:
      return copyText(unit.tag);
    case property::kShown:
      return Integer(unit.shown ? 1 : 0);
    case property::kDisabled:
      return Integer(unit.disabled ? 1 : 0);
    case property::kMousePointer:
      return Integer(unit.mousePointer);
    default:
      break;
  }
  const auto found = unit.own.find(index);
  if (found == unit.own.end())
    RuntimeErrorReport(fatal_message::kNoSuchProperty, 0);
  if (const auto* text = std::get_if<std::string>(&found->second))
    return copyText(*text);
  return Integer(std::get<std::int32_t>(found->second));
}

void Framework::WriteProperty(ControlId windowId, ControlId unitId, std::int32_t index,
                              std::int32_t element, std::uintptr_t value, std::uint32_t) {
  RequireStarted();
  RuntimeUnit& unit = RequireUnit(windowId, unitId);
  if (element != -1)
    RuntimeErrorReport(fatal_message::kElementIndexUnsupported, 0);

  // The unit keeps its own copy; a null text is the empty text.
  auto textOf = [value] {
    const char* text = reinterpret_cast<const char*>(value);
    return std::string(text != nullptr ? text : "");
  };
  const bool number = static_cast<std::int32_t>(value) != 0;
  switch (index) {
    case property::kTag:
      unit.tag = textOf();
      return;
    case property::kShown:
      unit.shown = number;
      if (unit.handle != 0 && unit.Type().visual) {
        number ? desktop_.ShowWithoutActivating(unit.handle) : desktop_.Hide(unit.handle);
      }
      return;
    case property::kDisabled:
      unit.disabled = number;
      if (unit.handle != 0)
        desktop_.SetEnabled(unit.handle, !number);
      return;
    default:
      break;
  }
  const OwnProperty* property = unit.Type().FindProperty(index);
  if (property == nullptr)
    RuntimeErrorReport(fatal_message::kNoSuchProperty, 0);
  if (property->kind != PropertyKind::kText) {
    unit.own[index] = static_cast<std::int32_t>(value);
    return;
  }
  std::string text = textOf();
  if (index == unit.Type().textProperty && unit.handle != 0)
    desktop_.SetText(unit.handle, text);
  unit.own[index] = std::move(text);
}

}  // namespace sonavel
