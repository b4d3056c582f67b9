#include "framework/Framework.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include "framework/ErrorReport.h"
#include "framework/FatalMessages.h"
#include "framework/HandlerErrorBox.h"
#include "framework/ProcessEnded.h"

namespace sonavel {
namespace {

Framework* current = nullptr;

// The deferred destroy: posted by the destroy command, handled by the window when dispatched.
constexpr std::uint32_t kDeferredDestroyMessage = 0x8065;

std::uintptr_t ServiceEntryFunction(std::uint32_t service, std::uintptr_t first,
                                    std::uintptr_t second) {
  return Framework::Current()->Service(service, first, second);
}

}  // namespace

// Counts nested event dispatches so that destroyed windows are released only once no dispatch
// is running on them.
class Framework::DispatchScope {
 public:
  explicit DispatchScope(Framework& framework) : framework_(framework) {
    ++framework_.dispatchDepth_;
  }
  ~DispatchScope() {
    if (--framework_.dispatchDepth_ == 0)
      framework_.retired_.clear();
  }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;

 private:
  Framework& framework_;
};

Framework::Framework(Desktop& desktop, const ProgramDescription& program, MemorySource& memory)
    : desktop_(desktop), program_(program), memory_(memory) {
  current = this;
  desktop_.SetEvents(this);
}

Framework::~Framework() {
  ReleaseWindows();
  desktop_.SetEvents(nullptr);
  if (current == this)
    current = nullptr;
}

Framework* Framework::Current() {
  return current;
}

int Framework::RunProgram(Desktop& desktop, const ProgramDescription& program,
                          int (*programEntry)(), MemorySource& memory) {
  Framework framework(desktop, program, memory);
  try {
    programEntry();
    framework.ExitProcessing();
    return framework.QuitCode();
  } catch (const ProcessEnded& ended) {
    return ended.exitCode;
  }
}

void Framework::Start() {
  uiThread_ = std::this_thread::get_id();

  const std::string path = desktop_.ProgramPath();
  const std::size_t separator = path.rfind(desktop_.PathSeparator());
  if (separator != std::string::npos) {
    // A program at the root keeps the root as its folder rather than an empty name.
    desktop_.SetCurrentDirectory(path.substr(0, separator == 0 ? 1 : separator));
  }

  for (SupportLibrary* library : program_.libraries) {
    if (library != nullptr)
      library->Notify(library_notice::kFrameworkStarted, &ServiceEntryFunction);
  }

  catalog_ = ProgramCatalog::Read(program_);
  started_ = true;
  if (!catalog_)
    RuntimeErrorReport(fatal_message::kDescriptionsUnreadable, 0);
}

void Framework::RequireStarted() {
  if (!started_)
    RuntimeErrorReport(fatal_message::kNotStarted, 0);
  if (std::this_thread::get_id() != uiThread_) {
    // No box can be shown from a foreign thread; this is a programming error, not a user's.
    std::fputs("Sonavel: a framework service was called outside the UI thread\n", stderr);
    std::abort();
  }
}

void Framework::SetShutdownRoutine(void (*routine)()) {
  shutdownRoutine_ = routine;
}

void Framework::LoadStartWindow(ControlId windowId) {
  RequireStarted();
  const CatalogWindow* entry = catalog_ ? catalog_->FindWindow(windowId) : nullptr;
  if (entry == nullptr)
    RuntimeErrorReport(fatal_message::kStartWindowFailed, 0);

  DispatchScope scope(*this);
  windows_.push_back(std::make_unique<LoadedWindow>(*entry));
  LoadedWindow& window = *windows_.back();
  if (!CreateWindow(window)) {
    if (window.Handle() != 0)
      desktop_.DestroyTopLevel(window.Handle());
    window.alive = false;
    retired_.push_back(std::move(windows_.back()));
    windows_.pop_back();
    RuntimeErrorReport(fatal_message::kStartWindowFailed, 0);
  }
}

void Framework::RunMessageLoop() {
  loopEntered_ = true;
  if (!AnyWindowAlive())
    return;
  quitCode_ = desktop_.RunLoop();
}

void* Framework::AllocateMemory(std::int64_t bytes) {
  void* block = bytes < 0 ? nullptr : memory_.Obtain(static_cast<std::size_t>(bytes));
  if (block == nullptr)
    RuntimeErrorReport(AllocationFailureMessage(bytes), 0);
  return block;
}

void Framework::FreeMemory(void* block) {
  if (block != nullptr)
    memory_.Release(block);
}

void Framework::RuntimeErrorReport(std::string_view message, std::int32_t code) {
  if (!reportingFatal_) {
    reportingFatal_ = true;
    desktop_.MessageBox(BuildErrorReportText(message, code), error_box::kTitle, error_box::kFlags);
    shutdownRoutine_ = nullptr;
    ExitProcessing();
  }
  desktop_.EndProcess(-1);
  // A back-end whose EndProcess returned is broken; never go on after a fatal error.
  std::abort();
}

void Framework::ExitProcessing() {
  if (exitStarted_)
    return;
  exitStarted_ = true;
  // The descriptions are no longer read from here on; their storage goes with the windows
  // that were built from them, released last.
  if (auto routine = std::exchange(shutdownRoutine_, nullptr))
    routine();
  for (SupportLibrary* library : program_.libraries) {
    if (library != nullptr)
      library->Notify(library_notice::kProgramEnding, nullptr);
  }
  ReleaseWindows();
  catalog_.reset();
}

void Framework::ReleaseWindows() {
  for (auto& window : windows_) {
    if (window->alive && window->Handle() != 0)
      desktop_.DestroyTopLevel(window->Handle());
    window->alive = false;
  }
  if (dispatchDepth_ > 0) {
    for (auto& window : windows_)
      retired_.push_back(std::move(window));
  } else {
    retired_.clear();
  }
  windows_.clear();
}

std::uintptr_t Framework::Service(std::uint32_t code, std::uintptr_t first, std::uintptr_t second) {
  const auto windowId = static_cast<ControlId>(first);
  const auto unitId = static_cast<ControlId>(second);
  switch (code) {
    case service::kFindObject: {
      RuntimeUnit& unit = RequireUnit(windowId, unitId);
      if (!unit.object)
        RuntimeErrorReport(fatal_message::kUnitNotLoaded, 0);
      return reinterpret_cast<std::uintptr_t>(unit.object.get());
    }
    case service::kForgetObject:
      // Only sent from WindowDestroyed: the window is no longer alive, so nothing finds the
      // object any more, and the framework deletes it as soon as that call returns.
      return 0;
    default:
      return 0;
  }
}

RuntimeUnit& Framework::RequireUnit(ControlId windowId, ControlId unitId) {
  LoadedWindow* window = FindWindow(windowId);
  const int index = window != nullptr ? window->IndexOf(unitId) : -1;
  if (index < 0)
    RuntimeErrorReport(fatal_message::kUnitNotLoaded, 0);
  return window->Units()[index];
}

LoadedWindow* Framework::FindWindow(ControlId windowId) {
  for (auto& window : windows_) {
    if (window->alive && window->Id() == windowId)
      return window.get();
  }
  return nullptr;
}

LoadedWindow* Framework::FindWindowByHandle(WindowHandle handle) {
  for (auto& window : windows_) {
    if (window->alive && window->Handle() == handle)
      return window.get();
  }
  return nullptr;
}

Framework::UnitRef Framework::FindByHandle(WindowHandle handle) {
  for (auto& window : windows_) {
    if (!window->alive)
      continue;
    const int index = window->IndexOfHandle(handle);
    if (index >= 0)
      return {window.get(), index};
  }
  return {};
}

bool Framework::AnyWindowAlive() const {
  for (const auto& window : windows_) {
    if (window->alive)
      return true;
  }
  return false;
}

void Framework::MarkAndDestroy(ControlId windowId, bool atOnce) {
  LoadedWindow* window = FindWindow(windowId);
  if (window == nullptr)
    RuntimeErrorReport(fatal_message::kUnitNotLoaded, 0);
  window->markedForDestroy = true;
  if (atOnce) {
    DestroyWindow(*window);
  } else {
    desktop_.PostMessage(window->Handle(), kDeferredDestroyMessage, 0, 0);
  }
}

void Framework::DestroyWindow(LoadedWindow& window) {
  if (!window.alive)
    return;
  DispatchScope scope(*this);
  window.alive = false;
  window.markedForDestroy = false;
  desktop_.DestroyTopLevel(window.Handle());
  FireEvent(window, 0, window_event::kDestroyed);
  for (RuntimeUnit& unit : window.Units()) {
    if (unit.object) {
      unit.object->WindowDestroyed();
      unit.object.reset();
    }
  }
  for (auto it = windows_.begin(); it != windows_.end(); ++it) {
    if (it->get() == &window) {
      retired_.push_back(std::move(*it));
      windows_.erase(it);
      break;
    }
  }
  if (!AnyWindowAlive() && loopEntered_ && !exitStarted_)
    desktop_.PostQuit(0);
}

void Framework::FireEvent(LoadedWindow& window, int unitIndex, std::int32_t event) {
  EventHandler handler = window.Units()[unitIndex].catalog->HandlerFor(event);
  if (handler == nullptr)
    return;
  // The errors a handler may raise end that handler, not the program: the user is told and the
  // loop goes on with the next message.
  try {
    handler();
  } catch (const FileError& error) {
    ShowHandlerError(handler_error::FileErrorText(error));
  } catch (const std::bad_alloc&) {
    ShowHandlerError(std::string(handler_error::kOutOfMemory));
  }
}

void Framework::ShowHandlerError(const std::string& text) {
  RunModal([&] { return desktop_.MessageBox(text, handler_error::kTitle, handler_error::kFlags); });
}

bool Framework::PreTranslateKey(WindowHandle target, const KeyPress& key) {
  DispatchScope scope(*this);
  UnitRef ref = FindByHandle(target);
  return ref.window != nullptr && PreTranslate(*ref.window, key);
}

void Framework::Clicked(WindowHandle control) {
  DispatchScope scope(*this);
  UnitRef ref = FindByHandle(control);
  if (ref.window == nullptr)
    return;
  const RuntimeUnit& unit = ref.window->Units()[ref.index];
  if (unit.Type().code == type_code::kButton && !unit.disabled) {
    FireEvent(*ref.window, ref.index, button_event::kClick);
  }
}

void Framework::MessageArrived(WindowHandle handle, std::uint32_t message, std::uintptr_t,
                               std::intptr_t) {
  DispatchScope scope(*this);
  LoadedWindow* window = FindWindowByHandle(handle);
  if (window == nullptr || message != kDeferredDestroyMessage)
    return;
  // Only a window still marked destroys itself; a destroy that already happened leaves nothing.
  if (window->markedForDestroy)
    DestroyWindow(*window);
}

void Framework::CloseRequested(WindowHandle handle) {
  DispatchScope scope(*this);
  LoadedWindow* window = FindWindowByHandle(handle);
  if (window == nullptr)
    return;
  // Handlers answer nothing in this framework, so a close-query handler cannot refuse.
  FireEvent(*window, 0, window_event::kCloseQuery);
  if (window->alive)
    DestroyWindow(*window);
}

void Framework::ActivationChanged(WindowHandle handle, bool active) {
  DispatchScope scope(*this);
  LoadedWindow* window = FindWindowByHandle(handle);
  if (window == nullptr)
    return;
  if (active) {
    activeWindow_ = window->Id();
    GiveFocus(*window);
  } else {
    window->remembered = window->focused;
  }
}

void Framework::FocusChanged(WindowHandle control) {
  UnitRef ref = FindByHandle(control);
  if (ref.window != nullptr)
    ref.window->focused = ref.index;
}

void Framework::FocusUnit(LoadedWindow& window, int index) {
  window.focused = index;
  desktop_.SetFocus(window.Units()[index].handle);
}

void Framework::GiveFocus(LoadedWindow& window) {
  const int remembered = std::exchange(window.remembered, -1);
  if (window.IsTabStop(remembered)) {
    FocusUnit(window, remembered);
    return;
  }
  const std::vector<int> order = window.TabOrder();
  if (!order.empty())
    FocusUnit(window, order.front());
}

Framework::FocusMemo Framework::NoteFocus() const {
  for (const auto& window : windows_) {
    if (window->alive && window->Id() == activeWindow_)
      return {window->Id(), window->focused};
  }
  return {};
}

void Framework::RestoreFocus(const FocusMemo& memo) {
  LoadedWindow* window = FindWindow(memo.windowId);
  if (window == nullptr)
    return;
  window->remembered = memo.focused;
  GiveFocus(*window);
}

}  // namespace sonavel
