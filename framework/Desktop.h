#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "framework/Geometry.h"
#include "framework/KeyPress.h"

namespace sonavel {

// What the framework needs of a windowing system, in the framework's terms.
//
// Threading: every call is made on the UI thread, and every notification of DesktopEvents is
// delivered on it, from inside RunLoop or from inside a modal call (MessageBox, SaveFileDialog).
// Texts are UTF-8 throughout; a back-end converts at its system boundary.
//
// Handles are small non-zero numbers the back-end hands out; 0 means "none" or "failed".

using WindowHandle = std::uint32_t;

enum class ControlKind {
  kLabel,    // painted by the back-end: opaque, one line, vertically centred, & mnemonics
  kButton,   // push button whose own toolkit mnemonics are off: the framework handles Alt+key
  kEditBox,  // single-line edit box
  kHidden,   // a plain child window that is never shown (non-visual components)
};

struct FrameStyle {
  bool systemMenu = true;
  bool minimizeBox = true;
  bool maximizeBox = true;
};

struct TopLevelSpec {
  std::string_view title;
  Rect outer;  // the outer rectangle on the screen, frame and title bar included
  FrameStyle frame;
};

struct ControlSpec {
  ControlKind kind = ControlKind::kHidden;
  Rect rect;  // relative to the parent's client area
  std::string_view text;
  bool disabled = false;
  bool tabStop = false;
};

// Settings of a modal save-file (or open-file) dialog.
struct FileDialogRequest {
  bool save = true;
  std::string_view title;             // empty: the system's own title
  std::string_view initialName;       // put into the file-name box
  std::string_view initialFolder;     // empty: the system chooses
  std::string_view defaultExtension;  // without its leading period; appended to a bare name
  std::string_view filter;            // "description|pattern|...||" or empty
  std::int32_t filterIndex = 0;       // 1-based when there is a filter
  bool overwritePrompt = false;
  bool fileMustExist = false;
  bool folderMustExist = false;
  bool promptToCreate = false;
  bool keepCurrentFolder = false;  // restore the current folder afterwards
};

// Raw button answers of MessageBox, the Windows numbering.
namespace box_answer {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kAbort = 3;
constexpr int kRetry = 4;
constexpr int kIgnore = 5;
constexpr int kYes = 6;
constexpr int kNo = 7;
}  // namespace box_answer

// Notifications from the back-end to the framework.
class DesktopEvents {
 public:
  virtual ~DesktopEvents() = default;

  // Sees every key press meant for a framework window or one of its controls before the toolkit
  // does. Answering true consumes the key.
  virtual bool PreTranslateKey(WindowHandle target, const KeyPress& key) = 0;
  // A button was clicked by the mouse or by Space.
  virtual void Clicked(WindowHandle control) = 0;
  // A message posted with Desktop::PostMessage is dispatched.
  virtual void MessageArrived(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) = 0;
  // The user asked the system to close a top-level window (caption button, Alt+F4, system menu,
  // log-off). The back-end closes nothing itself: the framework decides and destroys.
  virtual void CloseRequested(WindowHandle window) = 0;
  // A top-level window became active or inactive.
  virtual void ActivationChanged(WindowHandle window, bool active) = 0;
  // The user moved the focus to a control (for example by clicking it).
  virtual void FocusChanged(WindowHandle control) = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual void SetEvents(DesktopEvents* events) = 0;

  // Full size of the primary display.
  virtual Size ScreenSize() const = 0;

  // Creates a hidden top-level window with no owner. Answers 0 on failure.
  virtual WindowHandle CreateTopLevel(const TopLevelSpec& description) = 0;
  virtual Rect OuterRect(WindowHandle window) const = 0;
  virtual void SetOuterRect(WindowHandle window, const Rect& outer) = 0;
  // Creates a hidden child control. Answers 0 on failure.
  virtual WindowHandle CreateControl(WindowHandle parent, const ControlSpec& description) = 0;
  // Orders the children of a window, topmost first.
  virtual void StackControls(WindowHandle parent, std::span<const WindowHandle> topmostFirst) = 0;
  virtual void ShowWithoutActivating(WindowHandle control) = 0;
  virtual void Hide(WindowHandle control) = 0;
  // Shows a top-level window in its normal state and makes it the active window.
  virtual void ShowActive(WindowHandle window) = 0;
  virtual void SetEnabled(WindowHandle handle, bool enabled) = 0;
  virtual void SetText(WindowHandle handle, std::string_view text) = 0;
  virtual void SetFocus(WindowHandle control) = 0;
  // Destroys a top-level window with all its children, at once. The back-end may release its
  // own objects later, but the handle is dead and no event for it arrives any more.
  virtual void DestroyTopLevel(WindowHandle window) = 0;

  // A modal message box with no owner. The back-end honours the Windows flag bits for icon,
  // buttons and modality; task-modal boxes disable every top-level window of the program while
  // open and keep dispatching (so windows repaint). Answers a box_answer value.
  virtual int MessageBox(std::string_view text, std::string_view title, std::uint32_t flags) = 0;
  // A modal file dialog owned by the active window, which is disabled while it is open.
  // Answers the chosen full path, or nothing when cancelled or when the dialog failed.
  virtual std::optional<std::string> FileDialog(const FileDialogRequest& request) = 0;

  // Queues a message for the window; it is dispatched by the loop through MessageArrived.
  virtual void PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  // Queues the quit message; RunLoop returns its code once the messages before it are handled.
  virtual void PostQuit(int exitCode) = 0;
  virtual int RunLoop() = 0;

  // Blocks the calling thread; no message is processed meanwhile.
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // Full path of the program file, and the separator between its folders.
  virtual std::string ProgramPath() const = 0;
  virtual char PathSeparator() const = 0;
  virtual bool SetCurrentDirectory(const std::string& folder) = 0;

  // Ends the process at once with the given code.
  [[noreturn]] virtual void EndProcess(int exitCode) = 0;
};

}  // namespace sonavel
