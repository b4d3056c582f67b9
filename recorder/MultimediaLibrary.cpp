#include "recorder/MultimediaLibrary.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "framework/TypeCode.h"
#include "recorder/WaveRecorder.h"

namespace sonavel {
namespace {

// Handed over by the framework's start notice; kept for the whole process.
ServiceEntry serviceEntry = nullptr;

ServiceEntry RequireEntry() {
  if (serviceEntry == nullptr) {
    std::fputs("Sonavel: the multimedia library was used before the framework started it\n",
               stderr);
    std::abort();
  }
  return serviceEntry;
}

void SetFormatCommand(CommandResult& result, int, const ArgumentTriple* arguments) {
  WaveRecorder& recorder = FindRecorder(arguments[0].WindowId(), arguments[0].UnitId());
  result.SetLogical(recorder.SetFormat(
      {arguments[1].AsInteger(), arguments[2].AsInteger(), arguments[3].AsInteger()}));
}

void StartCommand(CommandResult& result, int, const ArgumentTriple* arguments) {
  result.SetLogical(FindRecorder(arguments[0].WindowId(), arguments[0].UnitId()).Start());
}

void StopCommand(CommandResult& result, int, const ArgumentTriple* arguments) {
  result.SetLogical(FindRecorder(arguments[0].WindowId(), arguments[0].UnitId()).Stop());
}

void SaveCommand(CommandResult& result, int, const ArgumentTriple* arguments) {
  WaveRecorder& recorder = FindRecorder(arguments[0].WindowId(), arguments[0].UnitId());
  result.SetLogical(recorder.Save(arguments[1].AsText(), arguments[2].AsLogical()));
}

constexpr TypeCode kRecorderArgument = MultimediaLibrary::kWaveRecordCode;
constexpr std::array kSetFormatParameters = {kRecorderArgument, type_code::kInteger,
                                             type_code::kInteger, type_code::kInteger};
constexpr std::array kRecorderOnly = {kRecorderArgument};
constexpr std::array kSaveParameters = {kRecorderArgument, type_code::kText, type_code::kLogical};
// Numbered by their place: SetFormat 0, Start 1, Stop 2, Save 3.
constexpr std::array kCommands = {
    CommandSpec{"置格式", &SetFormatCommand, kSetFormatParameters, 4},
    CommandSpec{"开始录音", &StartCommand, kRecorderOnly, 1},
    CommandSpec{"停止录音", &StopCommand, kRecorderOnly, 1},
    CommandSpec{"保存", &SaveCommand, kSaveParameters, 3},
};

}  // namespace

int MultimediaLibrary::Notify(int code, ServiceEntry entry) {
  if (code != library_notice::kFrameworkStarted)
    return -1;
  serviceEntry = entry;
  return 0;
}

std::span<const CommandSpec> MultimediaLibrary::Commands() const {
  return kCommands;
}

CreationRoutine MultimediaLibrary::ComponentTypeEntry(std::uint16_t typeNumber, int code) const {
  return typeNumber == kWaveRecordType && code == 1 ? &WaveRecorder::Create : nullptr;
}

bool MultimediaLibrary::HasVisibleForm(std::uint16_t) const {
  return false;
}

SupportLibrary& TheMultimediaLibrary() {
  static MultimediaLibrary library;
  return library;
}

WaveRecorder& FindRecorder(ControlId windowId, ControlId unitId) {
  const std::uintptr_t object = RequireEntry()(service::kFindObject, windowId, unitId);
  return dynamic_cast<WaveRecorder&>(*reinterpret_cast<ComponentObject*>(object));
}

void ForgetRecorder(ControlId windowId, ControlId unitId) {
  RequireEntry()(service::kForgetObject, windowId, unitId);
}

}  // namespace sonavel
