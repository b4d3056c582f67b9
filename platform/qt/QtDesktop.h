#pragma once

// The Linux desktop on Qt 6 Widgets.
//
// How it works: every framework window is a QWidget looked up by handle. One application-wide
// event filter sees each key press meant for a framework window before any widget does and
// offers it to the framework's pre-translation; it also reports activation and focus changes.
// Push buttons have their own toolkit mnemonics removed, so only the framework acts on Alt+key.
// Posted messages and the quit message travel as posted Qt events, in order. Message boxes and
// file dialogs run Qt's modal loops (application-modal, so the program's windows take no input
// but still repaint). Everything runs on the thread that created the QApplication.

#include <QObject>
#include <QPointer>
#include <QTranslator>
#include <QWidget>
#include <map>
#include <memory>

#include "framework/Desktop.h"

class QApplication;

namespace sonavel::qt {

class QtDesktop final : public QObject, public Desktop {
  Q_OBJECT

 public:
  QtDesktop(int& argc, char** argv);
  ~QtDesktop() override;

  // The widget behind a handle, for the back-end's own tests.
  QWidget* WidgetOf(WindowHandle handle) const;

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
  char PathSeparator() const override { return '/'; }
  bool SetCurrentDirectory(const std::string& folder) override;
  [[noreturn]] void EndProcess(int exitCode) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  WindowHandle Register(QWidget* widget);
  // The handle of a framework window or control, or 0 for any other widget (dialogs, boxes).
  WindowHandle HandleOf(const QObject* object) const;
  QWidget* ActiveFrameworkWindow() const;

  std::unique_ptr<QApplication> application_;
  QTranslator translator_;  // after the application: it goes first
  DesktopEvents* events_ = nullptr;
  std::map<WindowHandle, QPointer<QWidget>> widgets_;
  WindowHandle nextHandle_ = 1;
};

}  // namespace sonavel::qt
