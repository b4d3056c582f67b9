#include <gtest/gtest.h>

#include <functional>

#include "framework/ErrorReport.h"
#include "framework/FatalMessages.h"
#include "framework/ProcessEnded.h"
#include "framework/Services.h"
#include "tests/framework/TestProgram.h"

namespace sonavel::testing {
namespace {

using headless::HeadlessDesktop;

class CommandDispatchTest : public ::testing::Test {
 public:
  void SetUp() override {
    framework_ = std::make_unique<Framework>(desktop_, program_.Build());
    framework_->Start();
    framework_->LoadStartWindow(kWindow);
  }
  // Runs a call that must end the process, in a program of its own; answers the error box's
  // text.
  static std::string FatalText(const std::function<void()>& call) {
    TestProgram program;
    HeadlessDesktop desktop;
    Framework framework(desktop, program.Build());
    framework.Start();
    framework.LoadStartWindow(kWindow);
    try {
      call();
    } catch (const ProcessEnded& ended) {
      EXPECT_EQ(ended.exitCode, -1);
      return desktop.Boxes().empty() ? "" : desktop.Boxes().back().text;
    }
    ADD_FAILURE() << "the call returned";
    return "";
  }
  CommandResult Box(std::vector<ArgumentTriple> arguments) {
    return CallCoreCommand(core_command::kMessageBox, static_cast<int>(arguments.size()),
                           arguments.data());
  }

  TestProgram program_;
  HeadlessDesktop desktop_;
  std::unique_ptr<Framework> framework_;
};

TEST_F(CommandDispatchTest, MessageBoxAddsTaskModalUnlessSystemModal) {
  const std::pair<std::int32_t, std::uint32_t> cases[] = {
      {64, 0x2040}, {0x1040, 0x1040}, {0x2040, 0x2040}, {0, 0x2000}};
  for (const auto& [given, shown] : cases) {
    Box({ArgumentTriple::Text("t"), ArgumentTriple::Integer(given), ArgumentTriple::Text("T")});
    EXPECT_EQ(desktop_.Boxes().back().flags, shown) << given;
  }
}

TEST_F(CommandDispatchTest, MessageBoxTitleDefaultsAndNullTextIsEmpty) {
  Box({ArgumentTriple::Text(nullptr), ArgumentTriple::Integer(64)});
  EXPECT_EQ(desktop_.Boxes().back().text, "");
  EXPECT_EQ(desktop_.Boxes().back().title, "信息：");
  Box({ArgumentTriple::Text("x"), ArgumentTriple::Integer(64), ArgumentTriple::Omitted()});
  EXPECT_EQ(desktop_.Boxes().back().title, "信息：");
}

TEST_F(CommandDispatchTest, MessageBoxAnswersCountFromZero) {
  const std::pair<int, std::int32_t> cases[] = {{box_answer::kOk, 0},
                                                {box_answer::kCancel, 1},
                                                {box_answer::kYes, 5},
                                                {box_answer::kNo, 6},
                                                {99, 0}};
  for (const auto& [answer, result] : cases) {
    desktop_.AnswerNextBox(answer);
    EXPECT_EQ(static_cast<std::int32_t>(Box({ArgumentTriple::Text("q")}).value), result) << answer;
  }
}

TEST_F(CommandDispatchTest, FocusReturnsAfterAModalBox) {
  desktop_.PressKey({vk::kTab});
  desktop_.whileModal = [this] {
    // The box is modal: keys meant for the window do nothing while it is open.
    desktop_.PressAlt('F');
    desktop_.PressKey({vk::kTab});
  };
  Box({ArgumentTriple::Text("x")});
  EXPECT_EQ(desktop_.FocusedText(), "Second(&S)");
  EXPECT_EQ(TheJournal().events.size(), 3u);  // no click happened
}

TEST_F(CommandDispatchTest, DelayTreatsNegativeAsZero) {
  for (std::int32_t milliseconds : {-5, 0, 15000}) {
    const ArgumentTriple argument = ArgumentTriple::Integer(milliseconds);
    CallCoreCommand(core_command::kDelay, 1, &argument);
  }
  EXPECT_EQ(desktop_.Sleeps(), (std::vector<std::uint32_t>{0, 0, 15000}));
}

TEST(CommandArgumentsTest, WrongArgumentsAreClearFatalErrors) {
  const ArgumentTriple window = ArgumentTriple::Object(kWindow, kSelf, type_code::kWindow);
  struct Case {
    const char* name;
    int command;
    std::vector<ArgumentTriple> arguments;
    std::string_view expected;
  };
  const std::vector<Case> cases = {
      {"no arguments", core_command::kMessageBox, {}, fatal_message::kArgumentCount},
      {"too many",
       core_command::kDelay,
       {ArgumentTriple::Integer(1), ArgumentTriple::Integer(2)},
       fatal_message::kArgumentCount},
      {"text for integer",
       core_command::kDelay,
       {ArgumentTriple::Text("1")},
       fatal_message::kArgumentType},
      {"required left out",
       core_command::kDelay,
       {ArgumentTriple::Omitted()},
       fatal_message::kArgumentType},
      {"button as dialog",
       core_command::kOpenDialog,
       {ArgumentTriple::Object(kWindow, kFirstButton, type_code::kCommonDialog)},
       fatal_message::kArgumentType},
      {"unknown window",
       core_command::kDestroy,
       {ArgumentTriple::Object(0x52000099, kSelf, type_code::kWindow)},
       fatal_message::kUnitNotLoaded},
      {"unknown unit",
       core_command::kOpenDialog,
       {ArgumentTriple::Object(kWindow, 0x16000099, type_code::kCommonDialog)},
       fatal_message::kUnitNotLoaded},
      {"unknown command", 42, {window}, fatal_message::kNoSuchCommand},
  };
  for (const Case& c : cases) {
    const std::string text = CommandDispatchTest::FatalText([&] {
      CallCoreCommand(c.command, static_cast<int>(c.arguments.size()), c.arguments.data());
    });
    EXPECT_NE(text.find(c.expected), std::string::npos) << c.name << ": " << text;
  }
  EXPECT_NE(CommandDispatchTest::FatalText([&] {
              CallLibraryCommand(5, 0, 1, &window);
            }).find(fatal_message::kNoSuchLibrary),
            std::string::npos);
}

TEST_F(CommandDispatchTest, OpenDialogHandsOverTheSettingsAndKeepsTheChoice) {
  const ArgumentTriple dialog = ArgumentTriple::Object(kWindow, kDialog, type_code::kCommonDialog);
  auto fileName = [] {
    char* text = ReadProperty(kWindow, kDialog, property::kFileName, -1).AsText();
    std::string copy = text != nullptr ? text : "";
    FreeMemory(text);
    return copy;
  };

  desktop_.AnswerNextDialog(std::nullopt);
  EXPECT_EQ(CallCoreCommand(core_command::kOpenDialog, 1, &dialog).value, 0u);
  EXPECT_EQ(fileName(), "");

  desktop_.AnswerNextDialog("/tmp/a.MP3");
  EXPECT_EQ(CallCoreCommand(core_command::kOpenDialog, 1, &dialog).value, 1u);
  EXPECT_EQ(fileName(), "/tmp/a.MP3");

  desktop_.AnswerNextDialog(std::string(260, 'x'));  // longer than the dialog's buffer holds
  EXPECT_EQ(CallCoreCommand(core_command::kOpenDialog, 1, &dialog).value, 0u);
  EXPECT_EQ(fileName(), "/tmp/a.MP3");

  ASSERT_EQ(desktop_.Dialogs().size(), 3u);
  const headless::DialogRecord& last = desktop_.Dialogs().back();
  EXPECT_TRUE(last.save);
  EXPECT_EQ(last.initialName, "/tmp/a.MP3");
  EXPECT_EQ(desktop_.Dialogs().front().initialName, "");
  EXPECT_EQ(last.defaultExtension, "MP3");
  EXPECT_TRUE(last.overwritePrompt);
  EXPECT_FALSE(last.folderMustExist || last.fileMustExist || last.promptToCreate);
  EXPECT_EQ(last.filterIndex, 0);
}

}  // namespace
}  // namespace sonavel::testing
