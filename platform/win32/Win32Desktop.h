#pragma once

// The Windows desktop on plain Win32.
//
// How it works: every framework window is a real window, looked up by handle both ways.
// Top-level windows are of our own class with a fixed frame; labels are painted by our label
// class; buttons and the edit box are the system's; non-visual components get hidden windows
// of a plain class of ours. Every control is subclassed, so that focus changes and posted
// messages reach the framework whichever kind it is.
//
// The loop: RunLoop is a GetMessageW loop. A key message meant for one of our windows is
// offered to the framework's pre-translation before it is translated or dispatched, and a key
// the framework consumes goes no further: the system never sees the Tab, arrows, Enter, Esc or
// Alt+letter mnemonics the framework handles, and no WM_SYSCHAR (with the system's mnemonic
// beep) comes of them. Keys the framework leaves alone take the system's way: Space on a
// focused button makes the button click itself, Alt+F4 closes. Clicks arrive as BN_CLICKED at
// the parent. WM_CLOSE is only reported: windows die only through DestroyTopLevel, which
// forgets their handles first, so no event arrives for a dying window. Posted messages are real
// posted messages in the application's range (WM_APP to 0xBFFF), dispatched by whichever loop
// runs, the system's modal loops of boxes and dialogs included; the quit message is
// PostQuitMessage's, which the system hands out only after the messages posted before it.
//
// Threads: everything runs on the thread that created the desktop. The system calls a window's
// procedure only on the thread that created the window, so nothing here is shared.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "framework/Desktop.h"
#include "platform/win32/Win32WindowClass.h"
#include "platform/win32/WindowsApi.h"

namespace sonavel::win32 {

class Win32Desktop final : public Desktop {
 public:
  // iconResource: the number of the program's icon among the module's resources, or 0 for the
  // system's default icon.
  explicit Win32Desktop(int iconResource = 0);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  // The system's window behind a handle, for the back-end's own tests; null when unknown.
  HWND WindowOf(WindowHandle handle) const;

  void SetEvents(DesktopEvents* events) override { events_ = events; }
  Size ScreenSize() const override;
  WindowHandle CreateTopLevel(const TopLevelSpec& description) override;
  Rect OuterRect(WindowHandle window) const override;
  void SetOuterRect(WindowHandle window, const Rect& outer) override;
  WindowHandle CreateControl(WindowHandle parent, const ControlSpec& description) override;
  void StackControls(WindowHandle parent, std::span<const WindowHandle> topmostFirst) override;
  void ShowWithoutActivating(WindowHandle control) override;
  void Hide(WindowHandle control) override;
  void ShowActive(WindowHandle window) override;
  void SetEnabled(WindowHandle handle, bool enabled) override;
  void SetText(WindowHandle handle, std::string_view text) override;
  void SetFocus(WindowHandle control) override;
  void DestroyTopLevel(WindowHandle window) override;
  int MessageBox(std::string_view text, std::string_view title, std::uint32_t flags) override;
  std::optional<std::string> FileDialog(const FileDialogRequest& request) override;
  void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  void PostQuit(int exitCode) override;
  int RunLoop() override;
  void Sleep(std::uint32_t milliseconds) override;
  std::string ProgramPath() const override;
  char PathSeparator() const override { return '\\'; }
  bool SetCurrentDirectory(const std::string& folder) override;
  [[noreturn]] void EndProcess(int exitCode) override;

 private:
  static LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR subclass, DWORD_PTR self);
  LRESULT FrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Reports a posted message of the application's range; false for any other message.
  bool ReportPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Offers a key message to the framework; true when the framework consumed it.
  bool OfferKey(const MSG& message);
  WindowHandle Register(HWND window);
  // The handle of one of our windows, or 0 for any other (boxes, dialogs, dying windows).
  WindowHandle HandleOf(HWND window) const;

  HINSTANCE instance_;
  Win32WindowClass frameClass_;
  Win32WindowClass labelClass_;
  Win32WindowClass hiddenClass_;
  HFONT font_;  // a stock object: nobody deletes it
  DesktopEvents* events_ = nullptr;
  std::map<WindowHandle, HWND> windows_;
  std::unordered_map<HWND, WindowHandle> handles_;
  WindowHandle nextHandle_ = 1;
  // The key of the last Alt+key press the framework was offered and left to the system; the
  // character the system makes of it next is not offered a second time.
  std::uint32_t leftSysKey_ = 0;
};

}  // namespace sonavel::win32
