#pragma once

// A desktop without a display, driven by tests.
//
// How it works: windows and controls are plain records. Tests act as the user (PressKey, Click,
// RequestClose) and every action is delivered synchronously to the framework, key presses
// through its pre-translation first, as a real back-end does. Message boxes and file dialogs
// are recorded and answered from the test's script; while one is open the program's windows
// take no input, as with a task-modal box. Sleep is recorded, never slept. RunLoop dispatches
// posted messages and, when idle, runs the test's next scripted action; a loop left with
// nothing to do fails the test instead of hanging. EndProcess throws ProcessEnded.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/Desktop.h"

namespace sonavel::headless {

struct Node {
  WindowHandle parent = 0;
  bool topLevel = false;
  ControlKind kind = ControlKind::kHidden;
  Rect rect;
  std::string text;
  FrameStyle frame;
  bool shown = false;
  bool enabled = true;
  bool tabStop = false;
  bool destroyed = false;
  std::vector<WindowHandle> stacking;  // children, topmost first
};

struct BoxRecord {
  std::string text;
  std::string title;
  std::uint32_t flags = 0;
};

// A file dialog as it was asked for, its texts copied.
struct DialogRecord {
  bool save = false;
  std::string title;
  std::string initialName;
  std::string initialFolder;
  std::string defaultExtension;
  std::string filter;
  std::int32_t filterIndex = 0;
  bool overwritePrompt = false;
  bool fileMustExist = false;
  bool folderMustExist = false;
  bool promptToCreate = false;
  bool keepCurrentFolder = false;
};

struct PostedMessage {
  WindowHandle window = 0;
  std::uint32_t message = 0;
};

class HeadlessDesktop final : public Desktop {
 public:
  HeadlessDesktop();

  // --- the user's side ---
  // Offers the key to the framework, then to the focused control (Space clicks a button).
  void PressKey(const KeyPress& key);
  void PressAlt(char character) { PressKey({static_cast<std::uint32_t>(character), true}); }
  // A mouse click on a control: it takes the focus, then a button is clicked.
  void Click(WindowHandle control);
  // The user moves the focus to a control without clicking it.
  void MoveFocus(WindowHandle control);
  // The caption button, Alt+F4 or the system menu's Close.
  void RequestClose(WindowHandle window);
  void Deactivate(WindowHandle window);
  void Activate(WindowHandle window);
  // Dispatches every posted message (without running the loop).
  void Pump();

  // --- the test's script ---
  void ScriptIdle(std::function<void()> action) { idleActions_.push_back(std::move(action)); }
  void AnswerNextBox(int answer) { boxAnswers_.push_back(answer); }
  void AnswerNextDialog(std::optional<std::string> path) {
    dialogAnswers_.push_back(std::move(path));
  }
  // Runs while a box or dialog is open, before it answers.
  std::function<void()> whileModal;
  void SetScreenSize(Size size) { screen_ = size; }
  void SetProgramPath(std::string path, char separator = '/');
  void FailNextTopLevel() { failTopLevel_ = true; }

  // --- what the test can see ---
  const Node* Find(WindowHandle handle) const;
  WindowHandle FindByText(std::string_view text) const;
  WindowHandle TopLevel() const;  // the first live top-level window, or 0
  WindowHandle Focused() const { return focused_; }
  std::string FocusedText() const;
  bool ModalOpen() const { return modalDepth_ > 0; }
  const std::vector<BoxRecord>& Boxes() const { return boxes_; }
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  const std::vector<std::uint32_t>& Sleeps() const { return sleeps_; }
  const std::vector<std::string>& CurrentDirectories() const { return directories_; }
  const std::deque<PostedMessage>& Posted() const { return posted_; }
  int SetOuterRectCalls() const { return setOuterRectCalls_; }
  void SetCreationSize(Size size) { creationSize_ = size; }

  // --- Desktop ---
  void SetEvents(DesktopEvents* events) override { events_ = events; }
  Size ScreenSize() const override { return screen_; }
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
  void Sleep(std::uint32_t milliseconds) override { sleeps_.push_back(milliseconds); }
  std::string ProgramPath() const override { return programPath_; }
  char PathSeparator() const override { return separator_; }
  bool SetCurrentDirectory(const std::string& folder) override;
  [[noreturn]] void EndProcess(int exitCode) override;

 private:
  Node* Live(WindowHandle handle);
  // Whether the user can reach this window now: alive, shown, enabled, and no box open.
  bool TakesInput(WindowHandle handle) const;
  bool DispatchOnePosted();

  DesktopEvents* events_ = nullptr;
  std::map<WindowHandle, Node> nodes_;
  WindowHandle nextHandle_ = 1;
  WindowHandle focused_ = 0;
  Size screen_{1024, 768};
  std::optional<Size> creationSize_;
  std::string programPath_ = "/opt/sonavel/bin/sonavel";
  char separator_ = '/';
  bool failTopLevel_ = false;
  int modalDepth_ = 0;
  int setOuterRectCalls_ = 0;
  std::deque<PostedMessage> posted_;
  std::optional<int> quitCode_;
  std::deque<std::function<void()>> idleActions_;
  std::deque<int> boxAnswers_;
  std::deque<std::optional<std::string>> dialogAnswers_;
  std::vector<BoxRecord> boxes_;
  std::vector<DialogRecord> dialogs_;
  std::vector<std::uint32_t> sleeps_;
  std::vector<std::string> directories_;
};

}  // namespace sonavel::headless
