#include "framework/Services.h"

#include <cstdio>
#include <cstdlib>

namespace sonavel {
namespace {

Framework& Running() {
  Framework* framework = Framework::Current();
  if (framework == nullptr) {
    // No framework means no box to show either: a program called a service outside RunProgram.
    std::fputs("Sonavel: a framework service was called before the framework exists\n", stderr);
    std::abort();
  }
  return *framework;
}

}  // namespace

void StartFramework() {
  Running().Start();
}
void SetShutdownRoutine(void (*routine)()) {
  Running().SetShutdownRoutine(routine);
}
void LoadStartWindow(ControlId windowId) {
  Running().LoadStartWindow(windowId);
}
void RunMessageLoop() {
  Running().RunMessageLoop();
}

PropertyValue ReadProperty(ControlId windowId, ControlId unitId, std::int32_t index,
                           std::int32_t element) {
  return Running().ReadProperty(windowId, unitId, index, element);
}

void WriteProperty(ControlId windowId, ControlId unitId, std::int32_t index, std::int32_t element,
                   std::uintptr_t value, std::uint32_t high) {
  Running().WriteProperty(windowId, unitId, index, element, value, high);
}

void WriteProperty(ControlId windowId, ControlId unitId, std::int32_t index, std::int32_t element,
                   const char* text, std::uint32_t high) {
  Running().WriteProperty(windowId, unitId, index, element, reinterpret_cast<std::uintptr_t>(text),
                          high);
}

void* AllocateMemory(std::int64_t bytes) {
  return Running().AllocateMemory(bytes);
}
void FreeMemory(void* block) {
  Running().FreeMemory(block);
}

CommandResult CallCoreCommand(int command, int argumentCount, const ArgumentTriple* arguments) {
  return Running().CallLibraryCommand(0, command, argumentCount, arguments);
}

CommandResult CallLibraryCommand(int library, int command, int argumentCount,
                                 const ArgumentTriple* arguments) {
  return Running().CallLibraryCommand(library, command, argumentCount, arguments);
}

void RuntimeErrorReport(std::string_view message, std::int32_t code) {
  Running().RuntimeErrorReport(message, code);
}

}  // namespace sonavel
