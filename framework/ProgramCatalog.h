#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/ProgramDescription.h"
#include "framework/UnitType.h"

namespace sonavel {

// A unit description after intake: its type resolved and its handler offsets turned into
// handlers.
struct CatalogUnit {
  const UnitDescription* description = nullptr;
  UnitType type;
  std::vector<std::pair<std::int32_t, EventHandler>> handlers;

  EventHandler HandlerFor(std::int32_t event) const {
    for (const auto& [number, handler] : handlers) {
      if (number == event)
        return handler;
    }
    return nullptr;
  }
};

struct CatalogWindow {
  ControlId windowId = 0;
  std::vector<CatalogUnit> units;  // the window first, then the controls in listing order
};

// The program description, read once and checked. Read answers nothing when the descriptions
// cannot be read: a malformed unit, an unknown type, a handler offset outside the handler table,
// a setting the type does not have, duplicate ids, or a constant text that holds a zero byte
// (texts are handed on as zero-terminated strings, which would cut it short).
class ProgramCatalog {
 public:
  static std::optional<ProgramCatalog> Read(const ProgramDescription& program);

  const CatalogWindow* FindWindow(ControlId windowId) const;

 private:
  std::vector<CatalogWindow> windows_;
};

}  // namespace sonavel
