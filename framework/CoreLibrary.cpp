#include "framework/CoreLibrary.h"

#include <array>
#include <cctype>
#include <optional>
#include <string>

#include "framework/Framework.h"
#include "framework/PropertyIndex.h"

namespace sonavel {
namespace {

// Modal flags of a message box: system-modal, else task-modal is added.
constexpr std::uint32_t kSystemModal = 0x1000;
constexpr std::uint32_t kTaskModal = 0x2000;
constexpr std::string_view kDefaultBoxTitle = "信息：";
// The longest path the dialog's 260-byte buffer holds, its terminating zero excluded.
constexpr std::size_t kLongestPath = 259;

const ArgumentTriple* Given(int count, const ArgumentTriple* arguments, int index) {
  if (index >= count || arguments[index].IsOmitted())
    return nullptr;
  return &arguments[index];
}

Framework& Running() {
  return *Framework::Current();
}

// Box answers are reported from 0 (OK) to 6 (No).
std::int32_t BoxResult(int answer) {
  return answer >= box_answer::kOk && answer <= box_answer::kNo ? answer - 1 : 0;
}

void MessageBoxCommand(CommandResult& result, int count, const ArgumentTriple* arguments) {
  const ArgumentTriple* flagsArgument = Given(count, arguments, 1);
  const ArgumentTriple* titleArgument = Given(count, arguments, 2);
  std::uint32_t flags =
      flagsArgument != nullptr ? static_cast<std::uint32_t>(flagsArgument->value) : 0;
  if ((flags & kSystemModal) == 0)
    flags |= kTaskModal;
  const std::string text = arguments[0].AsText();
  const std::string title =
      titleArgument != nullptr ? titleArgument->AsText() : std::string(kDefaultBoxTitle);
  Framework& framework = Running();
  const int answer =
      framework.RunModal([&] { return framework.GetDesktop().MessageBox(text, title, flags); });
  result.SetInteger(BoxResult(answer));
}

void DelayCommand(CommandResult&, int, const ArgumentTriple* arguments) {
  const std::int32_t milliseconds = arguments[0].AsInteger();
  Running().GetDesktop().Sleep(milliseconds < 0 ? 0u : static_cast<std::uint32_t>(milliseconds));
}

void DestroyCommand(CommandResult&, int count, const ArgumentTriple* arguments) {
  const ArgumentTriple* atOnce = Given(count, arguments, 1);
  Running().MarkAndDestroy(arguments[0].WindowId(), atOnce != nullptr && atOnce->AsLogical());
}

// "|"-separated description and pattern pairs end with "||".
std::string PrepareFilter(std::string filter) {
  while (!filter.empty() && std::isspace(static_cast<unsigned char>(filter.back()))) {
    filter.pop_back();
  }
  if (!filter.empty() && !filter.ends_with("||"))
    filter += "||";
  return filter;
}

void OpenDialogCommand(CommandResult& result, int, const ArgumentTriple* arguments) {
  Framework& framework = Running();
  RuntimeUnit& dialog = framework.RequireUnit(arguments[0].WindowId(), arguments[0].UnitId());
  auto text = [&dialog](std::int32_t index) { return std::get<std::string>(dialog.own[index]); };
  auto on = [&dialog](std::int32_t index) { return dialog.Integer(index) != 0; };

  const std::int32_t kind = dialog.Integer(property::kDialogKind);
  if (kind != 0 && kind != 1) {
    // The font dialog and the help display are not part of this framework.
    result.SetLogical(false);
    return;
  }
  const std::string title = text(property::kDialogTitle);
  const std::string fileName = text(property::kFileName);
  const std::string folder = text(property::kInitialFolder);
  std::string extension = text(property::kDefaultExtension);
  if (extension.starts_with('.'))
    extension.erase(0, 1);
  const std::string filter = PrepareFilter(text(property::kFilter));
  const std::int32_t initialFilter = dialog.Integer(property::kInitialFilter);

  FileDialogRequest request;
  request.save = kind == 1;
  request.title = title;
  request.initialName = fileName;
  request.initialFolder = folder;
  request.defaultExtension = extension;
  request.filter = filter;
  request.filterIndex = filter.empty() ? 0 : (initialFilter < 0 ? 1 : initialFilter + 1);
  request.promptToCreate = on(property::kPromptToCreate);
  request.fileMustExist = on(property::kFileMustExist);
  request.overwritePrompt = on(property::kOverwritePrompt);
  request.folderMustExist = on(property::kFolderMustExist);
  request.keepCurrentFolder = on(property::kKeepCurrentFolder);

  const std::optional<std::string> chosen =
      framework.RunModal([&] { return framework.GetDesktop().FileDialog(request); });
  // A path the dialog's buffer could not hold counts as a failed dialog, like Cancel.
  const bool confirmed = chosen.has_value() && !chosen->empty() && chosen->size() <= kLongestPath;
  if (confirmed)
    dialog.own[property::kFileName] = *chosen;
  result.SetLogical(confirmed);
}

constexpr std::array kMessageBoxParameters = {type_code::kText, type_code::kInteger,
                                              type_code::kText};
constexpr std::array kDelayParameters = {type_code::kInteger};
constexpr std::array kDestroyParameters = {type_code::kWindow, type_code::kLogical};
constexpr std::array kOpenDialogParameters = {type_code::kCommonDialog};

constexpr std::array kCommands = {
    CommandSpec{"信息框", &MessageBoxCommand, kMessageBoxParameters, 1},
    CommandSpec{"延时", &DelayCommand, kDelayParameters, 1},
    CommandSpec{"销毁", &DestroyCommand, kDestroyParameters, 1},
    CommandSpec{"打开", &OpenDialogCommand, kOpenDialogParameters, 1},
};

}  // namespace

int CoreLibrary::Notify(int code, ServiceEntry) {
  return code == library_notice::kFrameworkStarted || code == library_notice::kProgramEnding ? 0
                                                                                             : -1;
}

std::span<const CommandSpec> CoreLibrary::Commands() const {
  return kCommands;
}

CreationRoutine CoreLibrary::ComponentTypeEntry(std::uint16_t, int) const {
  // The framework builds its own unit types itself.
  return nullptr;
}

bool CoreLibrary::HasVisibleForm(std::uint16_t typeNumber) const {
  return TypeNumberOf(type_code::kCommonDialog) != typeNumber;
}

SupportLibrary& TheCoreLibrary() {
  static CoreLibrary library;
  return library;
}

bool IsCoreLibrary(const SupportLibrary* library) {
  return library == &TheCoreLibrary();
}

}  // namespace sonavel
