#pragma once

#include <cstdint>
#include <span>

#include "framework/Desktop.h"
#include "framework/TypeCode.h"

namespace sonavel {

enum class PropertyKind { kText, kInteger, kLogical };

struct OwnProperty {
  std::int32_t index = 0;
  PropertyKind kind = PropertyKind::kInteger;
};

// What the framework knows of a unit type.
struct UnitType {
  TypeCode code = 0;
  ControlKind controlKind = ControlKind::kHidden;
  bool isWindow = false;
  bool visual = false;  // non-visual types are never shown, whatever their flags say
  bool takesFocus = false;
  bool hasMnemonics = false;  // its text takes part in the mnemonic search
  // The own property shown as the control's text, or -1.
  std::int32_t textProperty = -1;
  std::span<const OwnProperty> properties;

  const OwnProperty* FindProperty(std::int32_t index) const {
    for (const OwnProperty& property : properties) {
      if (property.index == index)
        return &property;
    }
    return nullptr;
  }
};

// The unit types of the core runtime library, or null.
const UnitType* FindCoreUnitType(TypeCode code);

// A component type of another support library: no own properties, never takes the focus.
UnitType ComponentUnitType(TypeCode code, bool visibleForm);

}  // namespace sonavel
