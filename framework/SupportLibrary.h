#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "framework/ArgumentTriple.h"
#include "framework/ControlId.h"
#include "framework/Desktop.h"

namespace sonavel {

// The framework's service entry, handed to each support library when the framework starts.
using ServiceEntry = std::uintptr_t (*)(std::uint32_t service, std::uintptr_t first,
                                        std::uintptr_t second);

namespace service {
// (window id, unit id) -> the component object of that control. Never comes back empty: an
// unknown or unloaded control is a fatal error.
constexpr std::uint32_t kFindObject = 2007;
// (window id, unit id): forget the control's object; its window has been destroyed.
constexpr std::uint32_t kForgetObject = 2000;
}  // namespace service

namespace library_notice {
constexpr int kFrameworkStarted = 1;  // carries the service entry; the library answers 0
constexpr int kProgramEnding = 2;
}  // namespace library_notice

// The run-time object of a component control created by a support library.
class ComponentObject {
 public:
  virtual ~ComponentObject() = default;
  // The control's window has been destroyed; the framework deletes the object right after.
  virtual void WindowDestroyed() = 0;
};

struct ComponentCreation {
  Desktop& desktop;
  WindowHandle parent = 0;
  std::uint32_t styleBits = 0;
  Rect rect;
  ControlId windowId = 0;
  ControlId unitId = 0;
};

// Answers the new object, or null when its window cannot be created.
using CreationRoutine = std::unique_ptr<ComponentObject> (*)(const ComponentCreation& creation);

using LibraryCommand = void (*)(CommandResult& result, int argumentCount,
                                const ArgumentTriple* arguments);

// A command and the arguments it takes. Arguments past `required` may be left out.
struct CommandSpec {
  std::string_view name;
  LibraryCommand run = nullptr;
  std::span<const TypeCode> parameters;
  int required = 0;
};

class SupportLibrary {
 public:
  virtual ~SupportLibrary() = default;

  // Notices of library_notice; answers 0 to the start notice and -1 to codes it does not know.
  virtual int Notify(int code, ServiceEntry entry) = 0;
  // The library's commands, numbered by their place in the list.
  virtual std::span<const CommandSpec> Commands() const = 0;
  // Asked with code 1, answers the creation routine of the component type, or null.
  virtual CreationRoutine ComponentTypeEntry(std::uint16_t typeNumber, int code) const = 0;
  // Component types that have no visible form at run time are never shown.
  virtual bool HasVisibleForm(std::uint16_t typeNumber) const = 0;
};

}  // namespace sonavel
