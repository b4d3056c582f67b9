// Calling support-library commands with argument triples, checked against each command's
// parameters so that a wrong object, type or count is a clear fatal error.
#include <string>

#include "framework/FatalMessages.h"
#include "framework/Framework.h"

namespace sonavel {
namespace {

bool IsObjectType(TypeCode type) {
  return (type & 0x80000000u) == 0;
}

}  // namespace

CommandResult Framework::CallLibraryCommand(int library, int command, int argumentCount,
                                            const ArgumentTriple* arguments) {
  RequireStarted();
  if (library < 0 || static_cast<std::size_t>(library) >= program_.libraries.size()) {
    RuntimeErrorReport(fatal_message::kNoSuchLibrary, 0);
  }
  const std::span<const CommandSpec> commands = program_.libraries[library]->Commands();
  if (command < 0 || static_cast<std::size_t>(command) >= commands.size()) {
    RuntimeErrorReport(fatal_message::kNoSuchCommand, 0);
  }
  const CommandSpec& description = commands[command];
  CheckArguments(description, argumentCount, arguments);
  CommandResult result;
  description.run(result, argumentCount, arguments);
  return result;
}

void Framework::CheckArguments(const CommandSpec& description, int count,
                               const ArgumentTriple* arguments) {
  if (count < description.required ||
      static_cast<std::size_t>(count) > description.parameters.size() ||
      (count > 0 && arguments == nullptr)) {
    RuntimeErrorReport(std::string(fatal_message::kArgumentCount) + std::string(description.name),
                       0);
  }
  for (int i = 0; i < count; ++i) {
    const ArgumentTriple& argument = arguments[i];
    const TypeCode expected = description.parameters[i];
    if (i >= description.required && argument.IsOmitted())
      continue;
    if (argument.type != expected) {
      RuntimeErrorReport(std::string(fatal_message::kArgumentType) + std::string(description.name) +
                             " #" + std::to_string(i + 1),
                         0);
    }
    if (!IsObjectType(expected))
      continue;
    const RuntimeUnit& unit = RequireUnit(argument.WindowId(), argument.UnitId());
    if (unit.Type().code != expected) {
      RuntimeErrorReport(std::string(fatal_message::kArgumentType) + std::string(description.name) +
                             " #" + std::to_string(i + 1),
                         0);
    }
  }
}

}  // namespace sonavel
