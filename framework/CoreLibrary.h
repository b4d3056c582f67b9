#pragma once

#include "framework/SupportLibrary.h"

namespace sonavel {

// The core runtime library: the framework's own unit types (window, label, button, edit box,
// common dialog) and its commands. Always the first support library of a program.
class CoreLibrary final : public SupportLibrary {
 public:
  int Notify(int code, ServiceEntry entry) override;
  std::span<const CommandSpec> Commands() const override;
  CreationRoutine ComponentTypeEntry(std::uint16_t typeNumber, int code) const override;
  bool HasVisibleForm(std::uint16_t typeNumber) const override;
};

// The commands of the core runtime library, numbered by their place in its list.
namespace core_command {
constexpr int kMessageBox = 0;
constexpr int kDelay = 1;
constexpr int kDestroy = 2;
constexpr int kOpenDialog = 3;
}  // namespace core_command

SupportLibrary& TheCoreLibrary();
bool IsCoreLibrary(const SupportLibrary* library);

}  // namespace sonavel
