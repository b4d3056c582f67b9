#pragma once

#include <cstdint>
#include <string_view>

#include "framework/ArgumentTriple.h"
#include "framework/Framework.h"

// The framework's services as a program calls them, on the UI thread, reaching the running
// framework.
namespace sonavel {

void StartFramework();
void SetShutdownRoutine(void (*routine)());
void LoadStartWindow(ControlId windowId);
void RunMessageLoop();

PropertyValue ReadProperty(ControlId windowId, ControlId unitId, std::int32_t index,
                           std::int32_t element);
void WriteProperty(ControlId windowId, ControlId unitId, std::int32_t index, std::int32_t element,
                   std::uintptr_t value, std::uint32_t high);
// Writes a text property; null is the empty text.
void WriteProperty(ControlId windowId, ControlId unitId, std::int32_t index, std::int32_t element,
                   const char* text, std::uint32_t high);

// Never answers null: a failed allocation is a fatal error.
void* AllocateMemory(std::int64_t bytes);
void FreeMemory(void* block);

CommandResult CallCoreCommand(int command, int argumentCount, const ArgumentTriple* arguments);
CommandResult CallLibraryCommand(int library, int command, int argumentCount,
                                 const ArgumentTriple* arguments);

[[noreturn]] void RuntimeErrorReport(std::string_view message, std::int32_t code);

}  // namespace sonavel
