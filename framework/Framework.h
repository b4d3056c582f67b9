#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "framework/ArgumentTriple.h"
#include "framework/Desktop.h"
#include "framework/LoadedWindow.h"
#include "framework/MemorySource.h"
#include "framework/ProgramCatalog.h"
#include "framework/ProgramDescription.h"

namespace sonavel {

// A property value as ReadProperty answers it. A text is a block from AllocateMemory that the
// caller owns, or null for the empty text.
struct PropertyValue {
  std::uintptr_t value = 0;
  std::uint32_t high = 0;

  char* AsText() const { return reinterpret_cast<char*>(value); }
  std::int32_t AsInteger() const { return static_cast<std::int32_t>(value); }
};

// The component framework: one per process, living on the UI thread. RunProgram creates it,
// runs the program's entry and the exit processing; the free service functions of Services.h
// reach the running instance.
class Framework final : private DesktopEvents {
 public:
  Framework(Desktop& desktop, const ProgramDescription& program,
            MemorySource& memory = SystemMemory());
  ~Framework() override;
  Framework(const Framework&) = delete;
  Framework& operator=(const Framework&) = delete;

  // The framework's start hook: runs programEntry, then the orderly exit processing, and answers
  // the exit code (also after a fatal error, when the back-end hands control back).
  static int RunProgram(Desktop& desktop, const ProgramDescription& program, int (*programEntry)(),
                        MemorySource& memory = SystemMemory());
  // The running framework, or null.
  static Framework* Current();

  void Start();
  void SetShutdownRoutine(void (*routine)());
  void LoadStartWindow(ControlId windowId);
  void RunMessageLoop();

  PropertyValue ReadProperty(ControlId windowId, ControlId unitId, std::int32_t index,
                             std::int32_t element);
  void WriteProperty(ControlId windowId, ControlId unitId, std::int32_t index, std::int32_t element,
                     std::uintptr_t value, std::uint32_t high);
  void* AllocateMemory(std::int64_t bytes);
  void FreeMemory(void* block);
  CommandResult CallLibraryCommand(int library, int command, int argumentCount,
                                   const ArgumentTriple* arguments);
  [[noreturn]] void RuntimeErrorReport(std::string_view message, std::int32_t code);
  std::uintptr_t Service(std::uint32_t code, std::uintptr_t first, std::uintptr_t second);

  // For the core commands.
  Desktop& GetDesktop() { return desktop_; }
  MemorySource& Memory() { return memory_; }
  RuntimeUnit& RequireUnit(ControlId windowId, ControlId unitId);
  void MarkAndDestroy(ControlId windowId, bool atOnce);
  // Runs a modal call (box or dialog); the control that had the focus gets it back afterwards.
  template <typename Call>
  auto RunModal(Call&& call) {
    const FocusMemo memo = NoteFocus();
    auto answer = call();
    RestoreFocus(memo);
    return answer;
  }

  // The exit code the program ends with: the quit message's code.
  int QuitCode() const { return quitCode_; }
  void ExitProcessing();

 private:
  struct UnitRef {
    LoadedWindow* window = nullptr;
    int index = -1;
  };
  struct FocusMemo {
    ControlId windowId = 0;
    int focused = -1;
  };
  class DispatchScope;

  // DesktopEvents
  bool PreTranslateKey(WindowHandle target, const KeyPress& key) override;
  void Clicked(WindowHandle control) override;
  void MessageArrived(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) override;
  void CloseRequested(WindowHandle window) override;
  void ActivationChanged(WindowHandle window, bool active) override;
  void FocusChanged(WindowHandle control) override;

  void RequireStarted();
  bool CreateWindow(LoadedWindow& window);
  bool CreateControl(LoadedWindow& window, RuntimeUnit& unit);
  void FireEvent(LoadedWindow& window, int unitIndex, std::int32_t event);
  void ShowHandlerError(const std::string& text);
  void DestroyWindow(LoadedWindow& window);
  bool AnyWindowAlive() const;
  LoadedWindow* FindWindow(ControlId windowId);
  LoadedWindow* FindWindowByHandle(WindowHandle handle);
  UnitRef FindByHandle(WindowHandle handle);
  void FocusUnit(LoadedWindow& window, int index);
  void GiveFocus(LoadedWindow& window);
  FocusMemo NoteFocus() const;
  void RestoreFocus(const FocusMemo& memo);
  bool PreTranslate(LoadedWindow& window, const KeyPress& key);
  bool MoveFocusByTab(LoadedWindow& window, bool backwards);
  bool HandleMnemonic(LoadedWindow& window, char character);
  void CheckArguments(const CommandSpec& description, int count, const ArgumentTriple* arguments);
  void ReleaseWindows();

  Desktop& desktop_;
  const ProgramDescription& program_;
  MemorySource& memory_;
  std::optional<ProgramCatalog> catalog_;
  std::vector<std::unique_ptr<LoadedWindow>> windows_;
  // Windows already destroyed whose objects may still be on the stack of the event being
  // dispatched; released once the outermost dispatch returns.
  std::vector<std::unique_ptr<LoadedWindow>> retired_;
  std::thread::id uiThread_;
  void (*shutdownRoutine_)() = nullptr;
  ControlId activeWindow_ = 0;
  int dispatchDepth_ = 0;
  int quitCode_ = 0;
  bool started_ = false;
  bool loopEntered_ = false;
  bool exitStarted_ = false;
  bool reportingFatal_ = false;
};

}  // namespace sonavel
