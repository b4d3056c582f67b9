#include "app/ClickHandlers.h"

#include <array>
#include <span>
#include <utility>

#include "app/ControlIds.h"
#include "app/LibraryCommands.h"
#include "app/ProgramTexts.h"
#include "app/TextRoutines.h"
#include "framework/CoreLibrary.h"
#include "framework/PropertyIndex.h"
#include "framework/Services.h"
#include "framework/TypeCode.h"

namespace sonavel {
namespace {

constexpr TypeCode kRecorderType = 0x00020002;
constexpr std::uint32_t kInformationBox = 64;  // information icon, one OK button
constexpr std::int32_t kSavedPauseMilliseconds = 15000;

const ArgumentTriple kRecorder =
    ArgumentTriple::Object(ids::kMainWindow, ids::kRecorder, kRecorderType);

char* ReadText(ControlId unit, std::int32_t index) {
  return ReadProperty(ids::kMainWindow, unit, index, -1).AsText();
}

void WriteText(ControlId unit, const char* text) {
  WriteProperty(ids::kMainWindow, unit, property::kText, -1, text, 0);
}

// Where a null text would reach a command, the empty constant text goes instead.
const char* OrEmpty(const char* text) {
  return text != nullptr ? text : texts::kEmpty;
}

void CallRecorder(int command, std::span<const ArgumentTriple> arguments) {
  CallLibraryCommand(library_index::kMultimedia, command, static_cast<int>(arguments.size()),
                     arguments.data());
}

void ShowInformation(const char* text, const char* title) {
  const std::array arguments = {ArgumentTriple::Text(OrEmpty(text)),
                                ArgumentTriple::Integer(kInformationBox),
                                ArgumentTriple::Text(title)};
  CallCoreCommand(core_command::kMessageBox, static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace

void OnSaveLocationClick() {
  const std::array dialog = {
      ArgumentTriple::Object(ids::kMainWindow, ids::kSaveDialog, type_code::kCommonDialog)};
  CallCoreCommand(core_command::kOpenDialog, 1, dialog.data());

  char* chosen = ReadText(ids::kSaveDialog, property::kFileName);
  WriteText(ids::kEditBox1, chosen);
  FreeMemory(chosen);
  // The label shows what the edit box took, read back from it.
  char* held = ReadText(ids::kEditBox1, property::kText);
  WriteText(ids::kPathLabel, held);
  FreeMemory(held);
}

void OnRecordClick() {
  CallRecorder(multimedia_command::kSetFormat,
               std::array{kRecorder, ArgumentTriple::Integer(2), ArgumentTriple::Integer(8000),
                          ArgumentTriple::Integer(16)});
  CallRecorder(multimedia_command::kStart, std::array{kRecorder});
  WriteText(ids::kStatusLabel, texts::kRecording);
}

void OnStopClick() {
  CallRecorder(multimedia_command::kStop, std::array{kRecorder});

  char* name = ReadText(ids::kEditBox1, property::kText);
  // A raised save error ends the handler here; the framework's dispatch reports it.
  struct Release {
    char* text;
    ~Release() { FreeMemory(text); }
  } releaseName{name};
  CallRecorder(multimedia_command::kSave, std::array{kRecorder, ArgumentTriple::Text(OrEmpty(name)),
                                                     ArgumentTriple::Logical(true)});
  FreeMemory(std::exchange(releaseName.text, nullptr));

  WriteText(ids::kStatusLabel, texts::kSaved);
  char* path = ReadText(ids::kPathLabel, property::kText);
  char* message = JoinTexts({texts::kConfirmationStart, path, texts::kConfirmationEnd});
  FreeMemory(path);
  ShowInformation(message, texts::kConfirmationTitle);
  FreeMemory(message);

  const std::array delay = {ArgumentTriple::Integer(kSavedPauseMilliseconds)};
  CallCoreCommand(core_command::kDelay, 1, delay.data());
  WriteText(ids::kStatusLabel, texts::kIdle);
}

void OnAboutClick() {
  ShowInformation(texts::kAbout, texts::kAboutTitle);
}

void OnHelpClick() {
  ShowInformation(texts::kHelp, texts::kHelpTitle);
}

void OnQuitClick() {
  const std::array arguments = {
      ArgumentTriple::Object(ids::kMainWindow, ids::kMainWindowSelf, type_code::kWindow),
      ArgumentTriple::Omitted()};
  CallCoreCommand(core_command::kDestroy, static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace sonavel
