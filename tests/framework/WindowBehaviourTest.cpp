#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <thread>

#include "framework/FileError.h"
#include "framework/HandlerErrorBox.h"
#include "framework/ProcessEnded.h"
#include "framework/Services.h"
#include "tests/framework/TestProgram.h"

namespace sonavel::testing {
namespace {

using headless::HeadlessDesktop;

class WindowBehaviourTest : public ::testing::Test {
 protected:
  void Load() {
    framework_ = std::make_unique<Framework>(desktop_, program_.Build());
    framework_->Start();
    framework_->LoadStartWindow(kWindow);
  }
  WindowHandle Handle(std::string_view text) { return desktop_.FindByText(text); }
  std::string ReadText(ControlId unit, std::int32_t index = property::kText) {
    char* text = ReadProperty(kWindow, unit, index, -1).AsText();
    std::string copy = text != nullptr ? text : "<null>";
    FreeMemory(text);
    return copy;
  }

  TestProgram program_;
  HeadlessDesktop desktop_;
  std::unique_ptr<Framework> framework_;
};

TEST_F(WindowBehaviourTest, CreationEventsFireInOrderThenTheWindowShowsWithFocus) {
  Load();
  EXPECT_EQ(TheJournal().events, (std::vector<std::string>{"created", "moved", "resized"}));
  EXPECT_TRUE(desktop_.Find(desktop_.TopLevel())->shown);
  EXPECT_EQ(desktop_.FocusedText(), "First(&F)");
}

TEST_F(WindowBehaviourTest, CreationEventsStopOnceAHandlerDestroyedTheWindow) {
  TheJournal().onCreated = [] {
    const std::array arguments = {ArgumentTriple::Object(kWindow, kSelf, type_code::kWindow),
                                  ArgumentTriple::Logical(true)};
    CallCoreCommand(core_command::kDestroy, 2, arguments.data());
  };
  Load();
  EXPECT_EQ(TheJournal().events, (std::vector<std::string>{"created", "destroyed"}));
  EXPECT_EQ(desktop_.TopLevel(), 0u);
}

TEST_F(WindowBehaviourTest, ControlsAreStackedInListingOrderAndOnlyVisualShownOnesShow) {
  Load();
  const headless::Node& window = *desktop_.Find(desktop_.TopLevel());
  ASSERT_EQ(window.stacking.size(), 4u);  // the dialog has no window of its own
  EXPECT_EQ(window.stacking[0], Handle("标签"));
  EXPECT_EQ(window.stacking[1], Handle("Second(&S)"));
  EXPECT_EQ(window.stacking[2], Handle("First(&F)"));
  EXPECT_TRUE(desktop_.Find(Handle("标签"))->shown);
  EXPECT_FALSE(desktop_.Find(window.stacking[3])->shown);  // the hidden edit box
  // Controls were created in reverse listing order: handles ascend from the edit box upwards.
  EXPECT_LT(window.stacking[3], window.stacking[2]);
  EXPECT_LT(window.stacking[1], window.stacking[0]);
}

TEST_F(WindowBehaviourTest, ReadTextsBelongToTheCallerAndEmptyReadsAsNull) {
  Load();
  char* first = ReadProperty(kWindow, kLabel, property::kText, -1).AsText();
  char* second = ReadProperty(kWindow, kLabel, property::kText, -1).AsText();
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "标签");
  first[0] = 'x';  // the caller's own copy: the label is unaffected
  FreeMemory(first);
  FreeMemory(second);
  EXPECT_EQ(ReadText(kLabel), "标签");
  EXPECT_EQ(ReadText(kEdit), "<null>");
}

TEST_F(WindowBehaviourTest, WrittenTextsAreCopiedAndNullIsEmpty) {
  Load();
  char buffer[] = "a&&b";
  WriteProperty(kWindow, kLabel, property::kText, -1, buffer, 0);
  std::memset(buffer, 'z', 4);
  EXPECT_EQ(ReadText(kLabel), "a&&b");
  EXPECT_EQ(desktop_.Find(Handle("a&&b"))->kind, ControlKind::kLabel);

  WriteProperty(kWindow, kLabel, property::kText, -1, static_cast<const char*>(nullptr), 0);
  EXPECT_EQ(ReadText(kLabel), "<null>");
}

TEST_F(WindowBehaviourTest, CommonPropertiesReadTheUnitsState) {
  Load();
  EXPECT_EQ(ReadProperty(kWindow, kFirstButton, property::kLeft, -1).AsInteger(), 60);
  EXPECT_EQ(ReadProperty(kWindow, kFirstButton, property::kShown, -1).AsInteger(), 1);
  EXPECT_EQ(ReadProperty(kWindow, kEdit, property::kShown, -1).AsInteger(), 0);
  EXPECT_EQ(ReadText(kDialog, property::kDefaultExtension), ".MP3");
  EXPECT_EQ(ReadText(kSelf, property::kTitle), "Test");
}

TEST_F(WindowBehaviourTest, DisablingAButtonTakesItOutOfTabOrderAndMnemonics) {
  Load();
  WriteProperty(kWindow, kSecondButton, property::kDisabled, -1, std::uintptr_t{1}, 0);
  desktop_.PressAlt('S');
  desktop_.PressKey({vk::kTab});
  EXPECT_EQ(desktop_.FocusedText(), "First(&F)");
  EXPECT_EQ(TheJournal().events.size(), 3u);  // only the creation events
}

TEST_F(WindowBehaviourTest, ServicesRefuseOtherThreads) {
  Load();
  EXPECT_DEATH(std::thread([] { ReadProperty(kWindow, kLabel, property::kText, -1); }).join(),
               "outside the UI thread");
}

TEST_F(WindowBehaviourTest, ElementIndexOtherThanMinusOneIsFatal) {
  Load();
  try {
    ReadProperty(kWindow, kLabel, property::kText, 0);
    FAIL() << "expected the process to end";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.exitCode, -1);
  }
}

TEST_F(WindowBehaviourTest, ReactivationGivesTheFocusBackToTheControlThatHadIt) {
  Load();
  const WindowHandle window = desktop_.TopLevel();
  desktop_.PressKey({vk::kTab});
  ASSERT_EQ(desktop_.FocusedText(), "Second(&S)");
  desktop_.Deactivate(window);
  EXPECT_EQ(desktop_.Focused(), 0u);
  desktop_.Activate(window);
  EXPECT_EQ(desktop_.FocusedText(), "Second(&S)");
}

TEST_F(WindowBehaviourTest, ErrorsRaisedByAClickAreShownAndTheLoopGoesOn) {
  struct Case {
    const char* name;
    void (*raise)();
    std::string text;
  };
  const Case cases[] = {
      {"file", [] { throw FileError(FileError::Cause::kWrite, 28, "/x/y.wav", "磁盘已满"); },
       "无法写完文件“/x/y.wav”。文件可能不完整。\n原因：磁盘已满（系统错误 28）"},
      {"memory", [] { throw std::bad_alloc(); }, std::string(handler_error::kOutOfMemory)},
  };
  Load();
  const WindowHandle first = Handle("First(&F)");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TheJournal().onFirstClick = c.raise;
    const std::size_t shown = desktop_.Boxes().size();
    // Every way a click comes: the mouse, Space on the focused button, the access key.
    desktop_.Click(first);
    desktop_.MoveFocus(first);
    desktop_.PressKey({' ', false});
    desktop_.PressAlt('F');
    ASSERT_EQ(desktop_.Boxes().size(), shown + 3);
    for (std::size_t i = shown; i < shown + 3; ++i) {
      const headless::BoxRecord& box = desktop_.Boxes()[i];
      EXPECT_EQ(box.text, c.text);
      EXPECT_EQ(box.title, handler_error::kTitle);
      EXPECT_EQ(box.flags, 0x2010u);
    }
    EXPECT_EQ(desktop_.FocusedText(), "First(&F)");
  }
}

}  // namespace
}  // namespace sonavel::testing
