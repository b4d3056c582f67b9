#pragma once

#include <cstdint>

namespace sonavel {

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const Size&, const Size&) = default;
};

}  // namespace sonavel
