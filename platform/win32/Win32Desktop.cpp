#include "platform/win32/Win32Desktop.h"

// clang-format off
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/win32/Utf16.h"
#include "platform/win32/Win32KeyMapping.h"
#include "platform/win32/Win32LabelWindow.h"

namespace sonavel::win32 {
namespace {

// The end of the range of private messages; registered messages start above it.
constexpr UINT kLastPrivateMessage = 0xBFFF;

WNDCLASSEXW FrameClass(HINSTANCE instance, int iconResource, WNDPROC procedure) {
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = procedure;
  description.hInstance = instance;
  if (iconResource != 0) {
    // Shared: the system frees icons loaded from resources with the module.
    const auto load = [&](int sizeMetric) {
      const int size = GetSystemMetrics(sizeMetric);
      return static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(iconResource), IMAGE_ICON, size, size, LR_SHARED));
    };
    description.hIcon = load(SM_CXICON);
    description.hIconSm = load(SM_CXSMICON);
  }
  description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  description.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  description.lpszClassName = L"SonavelFrame";
  return description;
}

WNDCLASSEXW HiddenClass(HINSTANCE instance) {
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = &DefWindowProcW;
  description.hInstance = instance;
  description.lpszClassName = L"SonavelHidden";
  return description;
}

// Mnemonic underlines and focus rectangles always show: the framework's windows are driven
// from the keyboard, and its labels always underline their mnemonics too.
void ShowKeyboardCues(HWND window) {
  SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
}

Rect ToRect(const RECT& area) {
  return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

int BoxAnswer(int answer) {
  switch (answer) {
    case IDOK:
    case IDCANCEL:
    case IDABORT:
    case IDRETRY:
    case IDIGNORE:
    case IDYES:
    case IDNO:
      return answer;
    // The newer three-button box's Try Again and Continue mean what Retry and Ignore did.
    case IDTRYAGAIN:
      return box_answer::kRetry;
    case IDCONTINUE:
      return box_answer::kIgnore;
    default:
      // No box could be shown: nothing was agreed to.
      return box_answer::kCancel;
  }
}

// "description|pattern|...||" as the dialog's list of zero-terminated strings, which ends with
// an empty one.
std::wstring DialogFilter(std::string_view filter) {
  std::wstring list = Widen(filter);
  std::replace(list.begin(), list.end(), L'|', L'\0');
  while (list.size() < 2 || list[list.size() - 1] != L'\0' || list[list.size() - 2] != L'\0') {
    list.push_back(L'\0');
  }
  return list;
}

std::wstring CurrentFolder() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  return folder;
}

}  // namespace

Win32Desktop::Win32Desktop(int iconResource)
    : instance_(GetModuleHandleW(nullptr)),
      frameClass_(FrameClass(instance_, iconResource, &FrameProcedure)),
      labelClass_(LabelWindowClass(instance_)),
      hiddenClass_(HiddenClass(instance_)),
      font_(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {}

Win32Desktop::~Win32Desktop() {
  std::vector<HWND> topLevel;
  for (const auto& [handle, window] : windows_) {
    if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0)
      topLevel.push_back(window);
  }
  windows_.clear();
  handles_.clear();
  for (HWND window : topLevel)
    DestroyWindow(window);
}

WindowHandle Win32Desktop::Register(HWND window) {
  windows_[nextHandle_] = window;
  handles_[window] = nextHandle_;
  return nextHandle_++;
}

HWND Win32Desktop::WindowOf(WindowHandle handle) const {
  const auto found = windows_.find(handle);
  return found != windows_.end() ? found->second : nullptr;
}

WindowHandle Win32Desktop::HandleOf(HWND window) const {
  const auto found = handles_.find(window);
  return found != handles_.end() ? found->second : 0;
}

Size Win32Desktop::ScreenSize() const {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

WindowHandle Win32Desktop::CreateTopLevel(const TopLevelSpec& description) {
  // A caption and a dialog frame without a sizing border: the window cannot be resized.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  if (description.frame.systemMenu)
    style |= WS_SYSMENU;
  if (description.frame.minimizeBox)
    style |= WS_MINIMIZEBOX;
  if (description.frame.maximizeBox)
    style |= WS_MAXIMIZEBOX;
  const Rect& outer = description.outer;
  const HWND window =
      CreateWindowExW(0, frameClass_.Name(), Widen(description.title).c_str(), style, outer.left,
                      outer.top, outer.width, outer.height, nullptr, nullptr, instance_, this);
  if (window == nullptr)
    return 0;
  ShowKeyboardCues(window);
  return Register(window);
}

Rect Win32Desktop::OuterRect(WindowHandle window) const {
  RECT area;
  const HWND system = WindowOf(window);
  return system != nullptr && GetWindowRect(system, &area) ? ToRect(area) : Rect{};
}

void Win32Desktop::SetOuterRect(WindowHandle window, const Rect& outer) {
  if (const HWND system = WindowOf(window)) {
    SetWindowPos(system, nullptr, outer.left, outer.top, outer.width, outer.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

WindowHandle Win32Desktop::CreateControl(WindowHandle parent, const ControlSpec& description) {
  const HWND owner = WindowOf(parent);
  if (owner == nullptr)
    return 0;
  const wchar_t* className = hiddenClass_.Name();
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD extendedStyle = 0;
  switch (description.kind) {
    case ControlKind::kLabel:
      className = labelClass_.Name();
      break;
    case ControlKind::kButton:
      className = L"BUTTON";
      style |= BS_PUSHBUTTON;
      break;
    case ControlKind::kEditBox:
      className = L"EDIT";
      style |= ES_AUTOHSCROLL;
      extendedStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::kHidden:
      break;
  }
  if (description.disabled)
    style |= WS_DISABLED;
  if (description.tabStop)
    style |= WS_TABSTOP;
  const Rect& area = description.rect;
  const HWND control =
      CreateWindowExW(extendedStyle, className, Widen(description.text).c_str(), style, area.left,
                      area.top, area.width, area.height, owner, nullptr, instance_, nullptr);
  if (control == nullptr)
    return 0;
  if (!SetWindowSubclass(control, &ControlProcedure, 0, reinterpret_cast<DWORD_PTR>(this))) {
    DestroyWindow(control);
    return 0;
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  ShowKeyboardCues(control);
  return Register(control);
}

void Win32Desktop::StackControls(WindowHandle, std::span<const WindowHandle> topmostFirst) {
  HWND above = HWND_TOP;
  for (const WindowHandle handle : topmostFirst) {
    const HWND control = WindowOf(handle);
    if (control == nullptr)
      continue;
    SetWindowPos(control, above, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    above = control;
  }
}

void Win32Desktop::ShowWithoutActivating(WindowHandle control) {
  if (const HWND window = WindowOf(control))
    ShowWindow(window, SW_SHOWNA);
}

void Win32Desktop::Hide(WindowHandle control) {
  // The system moves the focus off a control it hides, so no hidden button clicks on Space.
  if (const HWND window = WindowOf(control))
    ShowWindow(window, SW_HIDE);
}

void Win32Desktop::ShowActive(WindowHandle window) {
  if (const HWND system = WindowOf(window)) {
    ShowWindow(system, SW_SHOWNORMAL);
    SetForegroundWindow(system);
  }
}

void Win32Desktop::SetEnabled(WindowHandle handle, bool enabled) {
  if (const HWND window = WindowOf(handle))
    EnableWindow(window, enabled ? TRUE : FALSE);
}

void Win32Desktop::SetText(WindowHandle handle, std::string_view text) {
  if (const HWND window = WindowOf(handle))
    SetWindowTextW(window, Widen(text).c_str());
}

void Win32Desktop::SetFocus(WindowHandle control) {
  if (const HWND window = WindowOf(control))
    ::SetFocus(window);
}

void Win32Desktop::DestroyTopLevel(WindowHandle window) {
  const HWND top = WindowOf(window);
  if (top == nullptr)
    return;
  // Forgotten first: what the system sends while destroying (deactivation, focus loss) then
  // reaches no framework event.
  for (auto it = windows_.begin(); it != windows_.end();) {
    if (it->second == top || IsChild(top, it->second)) {
      handles_.erase(it->second);
      it = windows_.erase(it);
    } else {
      ++it;
    }
  }
  DestroyWindow(top);
}

int Win32Desktop::MessageBox(std::string_view text, std::string_view title, std::uint32_t flags) {
  return BoxAnswer(MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(), flags));
}

std::optional<std::string> Win32Desktop::FileDialog(const FileDialogRequest& request) {
  const std::wstring title = Widen(request.title);
  const std::wstring folder = Widen(request.initialFolder);
  const std::wstring extension = Widen(request.defaultExtension);
  const std::wstring filter =
      request.filter.empty() ? std::wstring() : DialogFilter(request.filter);
  std::array<wchar_t, MAX_PATH> name{};
  const std::wstring initialName = Widen(request.initialName);
  std::copy_n(initialName.begin(), std::min(initialName.size(), name.size() - 1), name.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  const HWND active = GetActiveWindow();
  dialog.hwndOwner = HandleOf(active) != 0 ? active : nullptr;
  if (!filter.empty()) {
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(std::max(request.filterIndex, 0));
  }
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (request.overwritePrompt)
    dialog.Flags |= OFN_OVERWRITEPROMPT;
  if (request.fileMustExist)
    dialog.Flags |= OFN_FILEMUSTEXIST;
  if (request.folderMustExist)
    dialog.Flags |= OFN_PATHMUSTEXIST;
  if (request.promptToCreate)
    dialog.Flags |= OFN_CREATEPROMPT;
  if (request.keepCurrentFolder)
    dialog.Flags |= OFN_NOCHANGEDIR;
  const std::wstring before = CurrentFolder();
  const BOOL chosen = request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (chosen && !request.keepCurrentFolder) {
    // The chosen folder becomes the current one; the dialog itself leaves the current folder
    // alone when a full path is typed rather than browsed to.
    SetCurrentDirectoryW(std::wstring(name.data(), dialog.nFileOffset).c_str());
  } else {
    // Cancelled, or asked to keep it: the folder current before, which the dialog changes while
    // the user browses (OFN_NOCHANGEDIR does not cover open dialogs).
    SetCurrentDirectoryW(before.c_str());
  }
  if (!chosen)
    return std::nullopt;
  return Narrow(name.data());
}

void Win32Desktop::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
  // A message for a window that is gone is dropped, as the system drops it.
  if (const HWND system = WindowOf(window))
    PostMessageW(system, message, wParam, lParam);
}

void Win32Desktop::PostQuit(int exitCode) {
  PostQuitMessage(exitCode);
}

int Win32Desktop::RunLoop() {
  MSG message{};
  BOOL got = FALSE;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (OfferKey(message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : -1;
}

bool Win32Desktop::OfferKey(const MSG& message) {
  const std::optional<KeyPress> key = FrameworkKeyOf(message);
  if (!key)
    return false;
  const std::uint32_t left = std::exchange(leftSysKey_, 0);
  const WindowHandle target = HandleOf(message.hwnd);
  if (target == 0 || events_ == nullptr)
    return false;
  if (message.message == WM_SYSCHAR && key->virtualKey == left)
    return false;
  const bool consumed = events_->PreTranslateKey(target, *key);
  if (!consumed && message.message == WM_SYSKEYDOWN)
    leftSysKey_ = key->virtualKey;
  return consumed;
}

void Win32Desktop::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

std::string Win32Desktop::ProgramPath() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    // Cut off: the path is longer than the buffer.
    path.resize(path.size() * 2);
  }
}

bool Win32Desktop::SetCurrentDirectory(const std::string& folder) {
  return SetCurrentDirectoryW(Widen(folder).c_str()) != FALSE;
}

void Win32Desktop::EndProcess(int exitCode) {
  std::fflush(nullptr);
  ExitProcess(static_cast<UINT>(exitCode));
}

LRESULT CALLBACK Win32Desktop::FrameProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Desktop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->FrameMessage(window, message, wParam, lParam)
                         : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32Desktop::FrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ReportPosted(window, message, wParam, lParam))
    return 0;
  const WindowHandle handle = HandleOf(window);
  const bool reported = handle != 0 && events_ != nullptr;
  switch (message) {
    case WM_CLOSE:
      // Reported only: the framework decides, and destroys through DestroyTopLevel.
      if (reported)
        events_->CloseRequested(handle);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        const WindowHandle control = HandleOf(reinterpret_cast<HWND>(lParam));
        if (control != 0 && events_ != nullptr)
          events_->Clicked(control);
        return 0;
      }
      break;
    case WM_ACTIVATE: {
      // The system puts the focus on the window itself first; the framework then hands it on to
      // the control it remembers.
      const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
      if (reported)
        events_->ActivationChanged(handle, LOWORD(wParam) != WA_INACTIVE);
      return result;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32Desktop::ControlProcedure(HWND control, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR subclass, DWORD_PTR self) {
  auto& desktop = *reinterpret_cast<Win32Desktop*>(self);
  switch (message) {
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
      const WindowHandle handle = desktop.HandleOf(control);
      if (handle != 0 && desktop.events_ != nullptr)
        desktop.events_->FocusChanged(handle);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, &ControlProcedure, subclass);
      break;
    default:
      if (desktop.ReportPosted(control, message, wParam, lParam))
        return 0;
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

bool Win32Desktop::ReportPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message < WM_APP || message > kLastPrivateMessage)
    return false;
  const WindowHandle handle = HandleOf(window);
  if (handle != 0 && events_ != nullptr) {
    events_->MessageArrived(handle, message, wParam, static_cast<std::intptr_t>(lParam));
  }
  return true;
}

}  // namespace sonavel::win32
