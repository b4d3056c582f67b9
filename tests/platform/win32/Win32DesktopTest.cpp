#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/Framework.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32KeyMapping.h"
#include "tests/framework/TestProgram.h"

// After the desktop's header, which brings the system's main header.
// clang-format off
#include <commctrl.h>
#include <dlgs.h>
// clang-format on

namespace sonavel::win32 {
namespace {

Win32Desktop* desktop = nullptr;

constexpr LPARAM kAltDown = LPARAM{1} << 29;

std::string Describe(const KeyPress& key) {
  std::string text = key.alt ? "Alt+" : "";
  text += key.ctrl ? "Ctrl+" : "";
  text += key.shift ? "Shift+" : "";
  return text + std::to_string(key.virtualKey);
}

std::string Key(std::uint32_t virtualKey, bool alt = false) {
  return Describe({virtualKey, alt});
}

TEST(Win32KeyMapping, KeyMessagesBecomeTheFrameworksKeys) {
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::optional<std::string> key;
  };
  const Case cases[] = {
      {WM_KEYDOWN, VK_TAB, 0x000F0001, Key(vk::kTab)},
      {WM_SYSKEYDOWN, 'R', kAltDown | 0x00130001, Key('R', true)},
      // No window has the focus: the active window gets every key as a system key, Alt up.
      {WM_SYSKEYDOWN, VK_TAB, 0x000F0001, Key(vk::kTab)},
      {WM_SYSCHAR, 'r', kAltDown, Key('R', true)},
      {WM_SYSCHAR, 'R', kAltDown, Key('R', true)},
      {WM_SYSCHAR, '7', kAltDown, Key('7', true)},
      {WM_SYSCHAR, '!', kAltDown, std::nullopt},
      {WM_SYSCHAR, 0x5F55, kAltDown, std::nullopt},
      {WM_CHAR, 'r', 0x00130001, std::nullopt},
      {WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001), std::nullopt},
  };
  for (const Case& c : cases) {
    const MSG message{nullptr, c.message, c.wParam, c.lParam, 0, {}};
    const std::optional<KeyPress> key = FrameworkKeyOf(message);
    EXPECT_EQ(key ? std::optional(Describe(*key)) : std::nullopt, c.key)
        << "message " << std::hex << c.message << " key " << c.wParam;
  }
}

struct Posted {
  WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  friend bool operator==(const Posted&, const Posted&) = default;
};

// Records what the back-end reports; consumes the keys it is told to.
class RecordingEvents final : public DesktopEvents {
 public:
  bool PreTranslateKey(WindowHandle target, const KeyPress& key) override {
    keys.push_back(Describe(key));
    targets.push_back(target);
    return key.virtualKey == consume;
  }
  void Clicked(WindowHandle control) override { clicks.push_back(control); }
  void MessageArrived(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) override {
    messages.push_back({window, message, wParam, lParam});
  }
  void CloseRequested(WindowHandle window) override { closes.push_back(window); }
  void ActivationChanged(WindowHandle window, bool active) override {
    activations.emplace_back(window, active);
  }
  void FocusChanged(WindowHandle control) override { focus.push_back(control); }

  std::uint32_t consume = 0;
  std::vector<std::string> keys;
  std::vector<WindowHandle> targets;
  std::vector<WindowHandle> clicks;
  std::vector<Posted> messages;
  std::vector<WindowHandle> closes;
  std::vector<std::pair<WindowHandle, bool>> activations;
  std::vector<WindowHandle> focus;
};

void CALLBACK QuitWhenIdle(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  desktop->PostQuit(0);
}

// Handles every message queued so far, keys typed so far included. A timer comes only when
// nothing else is queued, whereas the quit message may come before typed keys.
void Drain() {
  SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &QuitWhenIdle);
  EXPECT_EQ(desktop->RunLoop(), 0);
}

// Types keys as the keyboard does: down in order, then up in reverse order.
void Type(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (const WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *it;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
            inputs.size());
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The key messages a window's procedure gets, that is, those the loop dispatched to it.
class DispatchedKeys final {
 public:
  explicit DispatchedKeys(HWND window) : window_(window) {
    SetWindowSubclass(window_, &Record, kSubclass, reinterpret_cast<DWORD_PTR>(this));
  }
  ~DispatchedKeys() { RemoveWindowSubclass(window_, &Record, kSubclass); }
  DispatchedKeys(const DispatchedKeys&) = delete;
  DispatchedKeys& operator=(const DispatchedKeys&) = delete;

  std::vector<UINT> messages;

 private:
  static constexpr UINT_PTR kSubclass = 0x5E57;
  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR self) {
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST)
      reinterpret_cast<DispatchedKeys*>(self)->messages.push_back(message);
    return DefSubclassProc(window, message, wParam, lParam);
  }
  HWND window_;
};

// A window's client area as the window draws it when printed: rows of 0x00RRGGBB.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  // The columns holding any pixel other than the background's, as [first, last]; {-1, -1} when
  // there is none.
  std::pair<int, int> InkColumns(int columns) const {
    std::pair<int, int> found{-1, -1};
    for (int x = 0; x < columns; ++x) {
      for (int y = 0; y < height; ++y) {
        if (At(x, y) != At(0, 0)) {
          found = {found.first < 0 ? x : found.first, x};
          break;
        }
      }
    }
    return found;
  }
  int InkPixels() const {
    int count = 0;
    for (const std::uint32_t pixel : pixels)
      count += pixel != pixels.front() ? 1 : 0;
    return count;
  }
  bool SameColumns(const Picture& other, int columns) const {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < columns; ++x) {
        if (At(x, y) != other.At(x, y))
          return false;
      }
    }
    return true;
  }
};

Picture Print(HWND window) {
  RECT area;
  GetClientRect(window, &area);
  Picture picture{area.right, area.bottom, {}};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = picture.width;
  format.bmiHeader.biHeight = -picture.height;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(first, first + picture.width * picture.height);
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return picture;
}

std::uint32_t ButtonFace() {
  const COLORREF colour = GetSysColor(COLOR_BTNFACE);
  return static_cast<std::uint32_t>(GetRValue(colour)) << 16 |
         static_cast<std::uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
}

// Acts as the user on the next box or dialog with this title, from another thread: waits for
// it to show, then runs `act` on it. Gives up after 20 s.
std::jthread OnDialog(std::wstring title, std::function<void(HWND)> act) {
  return std::jthread([title = std::move(title), act = std::move(act)] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      const HWND dialog = FindWindowW(L"#32770", title.c_str());
      if (dialog != nullptr && IsWindowVisible(dialog)) {
        act(dialog);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
}

void Press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

class Win32DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    desktop->SetEvents(&events_);
    window_ = desktop->CreateTopLevel({"Sonavel 1.0", {10, 20, 250, 190}, {}});
    button_ = desktop->CreateControl(
        window_, {ControlKind::kButton, {5, 5, 80, 20}, "录音(&R)", false, true});
    other_ = desktop->CreateControl(
        window_, {ControlKind::kButton, {5, 40, 80, 20}, "停止(&S)", false, true});
    desktop->ShowWithoutActivating(button_);
    desktop->ShowWithoutActivating(other_);
    desktop->ShowActive(window_);
    desktop->SetFocus(button_);
    Drain();
    ASSERT_EQ(GetForegroundWindow(), Window(window_));
    ASSERT_EQ(GetFocus(), Window(button_));
    events_ = {};
  }
  void TearDown() override {
    desktop->DestroyTopLevel(window_);
    Drain();
    desktop->SetEvents(nullptr);
  }
  static HWND Window(WindowHandle handle) { return desktop->WindowOf(handle); }

  RecordingEvents events_;
  WindowHandle window_ = 0;
  WindowHandle button_ = 0;
  WindowHandle other_ = 0;
};

TEST_F(Win32DesktopTest, TopLevelHasTheOuterRectangleAFixedFrameAndTheCaption) {
  const HWND frame = Window(window_);
  RECT outer;
  ASSERT_TRUE(GetWindowRect(frame, &outer));
  EXPECT_EQ((Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}),
            (Rect{10, 20, 250, 190}));
  EXPECT_EQ(desktop->OuterRect(window_), (Rect{10, 20, 250, 190}));
  EXPECT_EQ(TextOf(frame), L"Sonavel 1.0");
  EXPECT_EQ(GetWindowLongPtrW(frame, GWL_STYLE) & WS_THICKFRAME, 0);

  desktop->SetOuterRect(window_, {40, 50, 300, 200});
  EXPECT_EQ(desktop->OuterRect(window_), (Rect{40, 50, 300, 200}));
  // The client area is button face.
  const Picture client = Print(frame);
  EXPECT_EQ(client.At(client.width - 1, client.height - 1), ButtonFace());
}

TEST_F(Win32DesktopTest, FrameStyleChoosesTheCaptionButtons) {
  struct Case {
    FrameStyle frame;
    LONG_PTR style;
  };
  const Case cases[] = {
      {{true, true, true}, WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX},
      {{true, false, true}, WS_SYSMENU | WS_MAXIMIZEBOX},
      {{false, false, false}, 0},
  };
  for (const Case& c : cases) {
    const WindowHandle window = desktop->CreateTopLevel({"框", {0, 0, 200, 100}, c.frame});
    const LONG_PTR style = GetWindowLongPtrW(Window(window), GWL_STYLE);
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CAPTION),
              c.style | WS_CAPTION);
    desktop->DestroyTopLevel(window);
  }
}

TEST_F(Win32DesktopTest, ControlsAreStackedTopmostFirst) {
  const WindowHandle label =
      desktop->CreateControl(window_, {ControlKind::kLabel, {0, 100, 60, 15}, "标签"});
  const WindowHandle order[] = {label, other_, button_};
  desktop->StackControls(window_, order);
  std::vector<HWND> stacked;
  for (HWND child = GetWindow(Window(window_), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    stacked.push_back(child);
  }
  EXPECT_EQ(stacked, (std::vector<HWND>{Window(label), Window(other_), Window(button_)}));
}

TEST_F(Win32DesktopTest, LabelsUnderlineMnemonicsAndCutLongTextWithoutEllipsis) {
  const auto print = [this](const char* caption, int width) {
    const WindowHandle label =
        desktop->CreateControl(window_, {ControlKind::kLabel, {0, 100, width, 15}, caption});
    return Print(Window(label));
  };
  const Picture plain = print("Ab", 60);
  const Picture underlined = print("&Ab", 60);
  const Picture ampersand = print("&&Ab", 60);
  // Opaque, in button face, with the text in another colour.
  EXPECT_EQ(plain.At(0, 0), ButtonFace());
  ASSERT_GT(plain.InkPixels(), 0);
  // "&A" draws "A" underlined: the same columns as "Ab", with more ink below.
  EXPECT_EQ(underlined.InkColumns(60), plain.InkColumns(60));
  EXPECT_GT(underlined.InkPixels(), plain.InkPixels());
  // "&&" draws one "&": the text starts with an extra glyph.
  EXPECT_GT(ampersand.InkColumns(60).second, plain.InkColumns(60).second);
  EXPECT_FALSE(ampersand.SameColumns(underlined, 60));

  // Text too long for the label is cut at its edge, as the wider label shows it there.
  const Picture narrow = print("录音文件保存位置：", 60);
  const Picture wide = print("录音文件保存位置：", 200);
  EXPECT_TRUE(narrow.SameColumns(wide, 60));
}

TEST_F(Win32DesktopTest, DisabledLabelLooksDifferent) {
  const WindowHandle label =
      desktop->CreateControl(window_, {ControlKind::kLabel, {0, 100, 60, 15}, "录音状态："});
  const Picture enabled = Print(Window(label));
  desktop->SetEnabled(label, false);
  const Picture disabled = Print(Window(label));
  EXPECT_EQ(disabled.InkColumns(60), enabled.InkColumns(60));
  EXPECT_FALSE(disabled.SameColumns(enabled, 60));
}

TEST_F(Win32DesktopTest, KeysAreOfferedBeforeTheSystemSeesThem) {
  struct Case {
    const char* name;
    std::vector<MSG> posted;
    std::uint32_t consume;
    std::vector<std::string> offered;
    std::vector<UINT> dispatched;
  };
  const Case cases[] = {
      {"consumed Tab",
       {{nullptr, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}}},
       vk::kTab,
       {Key(vk::kTab)},
       {}},
      {"Tab left alone",
       {{nullptr, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}}},
       0,
       {Key(vk::kTab)},
       {WM_KEYDOWN, WM_CHAR}},
      // Consumed at the key press: no character, so no menu search and no beep.
      {"consumed Alt+R",
       {{nullptr, WM_SYSKEYDOWN, 'R', kAltDown | 0x00130001, 0, {}}},
       'R',
       {Key('R', true)},
       {}},
      // Left alone: offered once, though the system makes a character of it.
      {"Alt+X left alone",
       {{nullptr, WM_SYSKEYDOWN, 'X', kAltDown | 0x002D0001, 0, {}}},
       0,
       {Key('X', true)},
       {WM_SYSKEYDOWN, WM_SYSCHAR}},
      {"character of its own",
       {{nullptr, WM_SYSCHAR, 'r', kAltDown, 0, {}}},
       'R',
       {Key('R', true)},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    events_ = {};
    events_.consume = c.consume;
    DispatchedKeys dispatched(Window(button_));
    for (const MSG& message : c.posted)
      PostMessageW(Window(button_), message.message, message.wParam, message.lParam);
    Drain();
    EXPECT_EQ(events_.keys, c.offered);
    EXPECT_EQ(events_.targets, std::vector<WindowHandle>(c.offered.size(), button_));
    EXPECT_EQ(dispatched.messages, c.dispatched);
  }
}

TEST_F(Win32DesktopTest, SpaceClicksTheFocusedButtonButNoHiddenOne) {
  Type({VK_SPACE});
  Drain();
  EXPECT_EQ(events_.keys, std::vector<std::string>{Key(vk::kSpace)});
  EXPECT_EQ(events_.clicks, std::vector<WindowHandle>{button_});

  desktop->Hide(button_);
  Type({VK_SPACE});
  Drain();
  EXPECT_EQ(events_.clicks, std::vector<WindowHandle>{button_});
}

TEST_F(Win32DesktopTest, TypedKeysGoToTheFocusedControl) {
  Type({VK_MENU, 'X'});
  Type({VK_TAB});
  Drain();
  EXPECT_EQ(events_.keys,
            (std::vector<std::string>{Key(VK_MENU, true), Key('X', true), Key(vk::kTab)}));
  EXPECT_EQ(events_.targets, std::vector<WindowHandle>(3, button_));
}

TEST_F(Win32DesktopTest, AltOfAConsumedMnemonicOpensNoMenu) {
  // Released alone as far as the system saw, Alt would put the window into menu mode, whose
  // loop would take the keys that follow, and the quit message. Should that happen, Esc and
  // quit messages end it after a while, so that the test fails rather than hangs.
  const DWORD uiThread = GetCurrentThreadId();
  std::jthread guard([uiThread](std::stop_token finished) {
    std::mutex mutex;
    std::unique_lock lock(mutex);
    std::condition_variable_any wake;
    auto wait = std::chrono::seconds(5);
    while (!wake.wait_for(lock, finished, wait, [&] { return finished.stop_requested(); })) {
      Type({VK_ESCAPE});
      PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
      wait = std::chrono::seconds(1);
    }
  });
  events_.consume = 'R';
  Type({VK_MENU, 'R'});
  Type({VK_TAB});
  Drain();
  EXPECT_EQ(events_.keys,
            (std::vector<std::string>{Key(VK_MENU, true), Key('R', true), Key(vk::kTab)}));
}

TEST_F(Win32DesktopTest, MouseClickFocusesAndClicksTheButton) {
  PostMessageW(Window(other_), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(Window(other_), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Drain();
  EXPECT_EQ(events_.focus, std::vector<WindowHandle>{other_});
  EXPECT_EQ(events_.clicks, std::vector<WindowHandle>{other_});
}

TEST_F(Win32DesktopTest, PostedMessagesArriveInOrderBeforeTheQuitCode) {
  desktop->PostMessage(window_, 0x8065, 1, 2);
  desktop->PostMessage(window_, 0x8066, 3, -4);
  desktop->PostQuit(7);
  EXPECT_EQ(desktop->RunLoop(), 7);
  EXPECT_EQ(events_.messages,
            (std::vector<Posted>{{window_, 0x8065, 1, 2}, {window_, 0x8066, 3, -4}}));
}

TEST_F(Win32DesktopTest, MessagesForADestroyedWindowAreDropped) {
  const WindowHandle second = desktop->CreateTopLevel({"第二", {300, 300, 200, 150}, {}});
  desktop->PostMessage(second, 0x8065, 0, 0);
  desktop->DestroyTopLevel(second);
  desktop->PostMessage(second, 0x8065, 0, 0);
  Drain();
  EXPECT_TRUE(events_.messages.empty());
}

TEST_F(Win32DesktopTest, CloseIsOnlyReportedAndDestroyedWindowsReportNothing) {
  const HWND frame = Window(window_);
  const HWND button = Window(button_);
  SendMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(events_.closes, std::vector<WindowHandle>{window_});
  EXPECT_TRUE(IsWindow(frame));

  events_ = {};
  desktop->DestroyTopLevel(window_);
  Drain();
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_FALSE(IsWindow(button));
  EXPECT_EQ(desktop->WindowOf(window_), nullptr);
  EXPECT_EQ(desktop->WindowOf(button_), nullptr);
  EXPECT_TRUE(events_.activations.empty());
  EXPECT_TRUE(events_.focus.empty());
}

TEST_F(Win32DesktopTest, ActivationChangesAreReported) {
  const WindowHandle second = desktop->CreateTopLevel({"第二", {300, 300, 200, 150}, {}});
  desktop->ShowActive(second);
  desktop->ShowActive(window_);
  Drain();
  EXPECT_EQ(events_.activations,
            (std::vector<std::pair<WindowHandle, bool>>{
                {window_, false}, {second, true}, {second, false}, {window_, true}}));
  desktop->DestroyTopLevel(second);
}

TEST_F(Win32DesktopTest, MessageBoxIsTaskModalAndAnswersTheButtonPressed) {
  struct Case {
    UINT buttons;
    int pressed;
    int answer;
  };
  const Case cases[] = {{MB_YESNO, IDNO, box_answer::kNo},
                        {MB_OKCANCEL, IDCANCEL, box_answer::kCancel},
                        {MB_CANCELTRYCONTINUE, IDCONTINUE, box_answer::kIgnore}};
  const HWND frame = Window(window_);
  for (const Case& c : cases) {
    std::atomic<bool> frameEnabled = true;
    std::jthread user = OnDialog(L"确认", [&](HWND box) {
      frameEnabled = IsWindowEnabled(frame) != FALSE;
      Press(box, c.pressed);
    });
    EXPECT_EQ(desktop->MessageBox("要保存吗？", "确认", c.buttons | MB_TASKMODAL), c.answer);
    user.join();
    EXPECT_FALSE(frameEnabled);
    EXPECT_TRUE(IsWindowEnabled(frame));
  }
}

class FileDialogTest : public Win32DesktopTest {
 protected:
  void SetUp() override {
    Win32DesktopTest::SetUp();
    start_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("sonavel-dialog-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path(start_);
    std::filesystem::remove_all(folder_);
    Win32DesktopTest::TearDown();
  }
  // What the program's save button asks for.
  static FileDialogRequest Request() {
    FileDialogRequest request;
    request.title = "保存录音";
    request.defaultExtension = "MP3";
    request.overwritePrompt = true;
    return request;
  }

  std::filesystem::path start_;
  std::filesystem::path folder_;
};

// Types a name into the dialog's file name box and presses OK, as a user does.
void ChooseName(HWND dialog, const std::wstring& name) {
  SetDlgItemTextW(dialog, GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1, name.c_str());
  Press(dialog, IDOK);
}

std::vector<std::wstring> ListedFilters(HWND dialog) {
  const HWND filter = GetDlgItem(dialog, cmb1);
  std::vector<std::wstring> filters;
  const auto count =
      static_cast<WPARAM>(std::max<LRESULT>(SendMessageW(filter, CB_GETCOUNT, 0, 0), 0));
  for (WPARAM i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(filter, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(filter, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    filters.push_back(text);
  }
  return filters;
}

TEST_F(FileDialogTest, SaveDialogAnswersTheFullPathAndCompletesABareName) {
  struct Case {
    const char* typed;
    const char* chosen;
    bool keepCurrentFolder;
  };
  const Case cases[] = {{"录音", "录音.MP3", false}, {"take.wav", "take.wav", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::filesystem::current_path(start_);
    const std::wstring typed = (folder_ / std::filesystem::u8path(c.typed)).wstring();
    std::jthread user = OnDialog(L"保存录音", [&](HWND dialog) { ChooseName(dialog, typed); });
    FileDialogRequest request = Request();
    request.keepCurrentFolder = c.keepCurrentFolder;
    const std::optional<std::string> chosen = desktop->FileDialog(request);
    user.join();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(std::filesystem::u8path(*chosen), folder_ / std::filesystem::u8path(c.chosen));
    EXPECT_EQ(std::filesystem::equivalent(std::filesystem::current_path(), folder_),
              !c.keepCurrentFolder);
  }
}

TEST_F(FileDialogTest, FilterListsItsDescriptionsAndCancelAnswersNothing) {
  std::vector<std::wstring> filters;
  std::jthread user = OnDialog(L"打开录音", [&](HWND dialog) {
    filters = ListedFilters(dialog);
    Press(dialog, IDCANCEL);
  });
  FileDialogRequest request = Request();
  request.save = false;
  request.title = "打开录音";
  request.filter = "MP3 文件|*.MP3|所有文件|*.*||";
  request.filterIndex = 2;
  EXPECT_EQ(desktop->FileDialog(request), std::nullopt);
  user.join();
  EXPECT_EQ(filters, (std::vector<std::wstring>{L"MP3 文件", L"所有文件"}));
  EXPECT_EQ(std::filesystem::current_path(), start_);
}

// A framework program on the desktop, driven from the keyboard.
namespace program {

std::optional<RECT> shownAt;

void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostMessageW(FindWindowW(L"SonavelFrame", L"Test"), WM_CLOSE, 0, 0);
}

// Once the window is up: Tab to the second button and press Space, then Alt+F for the first.
void CALLBACK TypeKeys(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  RECT outer;
  if (GetWindowRect(GetForegroundWindow(), &outer))
    shownAt = outer;
  Type({VK_TAB});
  Type({VK_SPACE});
  Type({VK_MENU, 'F'});
  // Keys that went astray end the program too, rather than leaving it waiting.
  SetTimer(nullptr, 0, 10000, &GiveUp);
}

}  // namespace program

TEST(Win32DesktopProgram, RunsAFrameworkProgramFromTheKeyboard) {
  ::sonavel::testing::TestProgram description;
  auto& journal = ::sonavel::testing::TheJournal();
  journal.onCreated = [] { SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &program::TypeKeys); };
  journal.onFirstClick = [] { PostMessageW(GetForegroundWindow(), WM_CLOSE, 0, 0); };
  EXPECT_EQ(Framework::RunProgram(*desktop, description.Build(), &::sonavel::testing::TestEntry),
            0);
  EXPECT_EQ(journal.events,
            (std::vector<std::string>{"created", "moved", "resized", "second clicked",
                                      "first clicked", "destroyed"}));
  EXPECT_EQ(journal.shutdowns, 1);
  // Started in the program's own folder.
  wchar_t program[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(program).parent_path());
  const Size screen = desktop->ScreenSize();
  ASSERT_TRUE(program::shownAt.has_value());
  EXPECT_EQ((Rect{program::shownAt->left, program::shownAt->top,
                  program::shownAt->right - program::shownAt->left,
                  program::shownAt->bottom - program::shownAt->top}),
            (Rect{(screen.width - 300) / 2, (screen.height - 200) / 2, 300, 200}));
}

}  // namespace
}  // namespace sonavel::win32

int main(int argc, char** argv) {
  sonavel::win32::Win32Desktop desktop;
  sonavel::win32::desktop = &desktop;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
