#pragma once

#include <cstdint>

namespace sonavel {

// A 32-bit type code. For units: the support library's number (1 = core runtime library) in the
// high 16 bits and the type's number within that library in the low 16 bits. Argument values of
// plain data use codes with the top bit set.
using TypeCode = std::uint32_t;

namespace type_code {
constexpr TypeCode kText = 0x80000004;
constexpr TypeCode kInteger = 0x80000301;
constexpr TypeCode kLogical = 0x80000002;

constexpr TypeCode kWindow = 0x00010001;
constexpr TypeCode kEditBox = 0x00010005;
constexpr TypeCode kLabel = 0x0001000A;
constexpr TypeCode kButton = 0x0001000B;
constexpr TypeCode kCommonDialog = 0x0001001F;
}  // namespace type_code

constexpr std::uint16_t LibraryNumberOf(TypeCode code) {
  return static_cast<std::uint16_t>(code >> 16);
}
constexpr std::uint16_t TypeNumberOf(TypeCode code) {
  return static_cast<std::uint16_t>(code & 0xFFFF);
}

}  // namespace sonavel
