#pragma once

#include <span>
#include <string_view>

#include "framework/SupportLibrary.h"
#include "framework/WindowDescription.h"

namespace sonavel {

using EventHandler = void (*)();

// What a program hands to the framework at start-up, read once by StartFramework.
struct ProgramDescription {
  std::span<const WindowDescription> windows;
  // The handler base is the first entry; a stored handler offset counts entries from it.
  std::span<const EventHandler> handlers;
  std::span<const std::string_view> constantTexts;
  // Support libraries in order; a unit type's library number is its place here plus 1.
  std::span<SupportLibrary* const> libraries;
};

}  // namespace sonavel
