#pragma once

#include <cstdint>

#include "framework/ControlId.h"
#include "framework/TypeCode.h"

namespace sonavel {

// One command argument: a value, the high word of the value and a type code. The value is
// pointer-wide so that a text argument can carry the address of its text on 64-bit systems.
// An argument that is left out is three zero words.
struct ArgumentTriple {
  std::uintptr_t value = 0;
  std::uint32_t high = 0;
  TypeCode type = 0;

  static ArgumentTriple Text(const char* text) {
    return {reinterpret_cast<std::uintptr_t>(text), 0, type_code::kText};
  }
  static ArgumentTriple Integer(std::int32_t number) {
    return {static_cast<std::uint32_t>(number), 0, type_code::kInteger};
  }
  static ArgumentTriple Logical(bool flag) { return {flag ? 1u : 0u, 0, type_code::kLogical}; }
  static ArgumentTriple Object(ControlId windowId, ControlId unitId, TypeCode type) {
    return {windowId, unitId, type};
  }
  static ArgumentTriple Omitted() { return {}; }

  bool IsOmitted() const { return value == 0 && high == 0 && type == 0; }
  // A null text stands for the empty text.
  const char* AsText() const {
    const char* text = reinterpret_cast<const char*>(value);
    return text != nullptr ? text : "";
  }
  std::int32_t AsInteger() const { return static_cast<std::int32_t>(value); }
  // Any non-zero 32-bit value counts as true.
  bool AsLogical() const { return static_cast<std::uint32_t>(value) != 0; }
  ControlId WindowId() const { return static_cast<ControlId>(value); }
  ControlId UnitId() const { return high; }
};

// The cell a command writes its result into; all three words are 0 on entry.
struct CommandResult {
  std::uintptr_t value = 0;
  std::uint32_t high = 0;
  TypeCode type = 0;

  void SetLogical(bool flag) {
    value = flag ? 1u : 0u;
    type = type_code::kLogical;
  }
  void SetInteger(std::int32_t number) {
    value = static_cast<std::uint32_t>(number);
    type = type_code::kInteger;
  }
};

}  // namespace sonavel
