#include "tests/framework/TestProgram.h"

#include "framework/Services.h"

namespace sonavel::testing {
namespace {

constexpr std::array kWindowSettings = {
    TypeSetting{property::kTitle, "Test"},
    TypeSetting{property::kPositionMode, position_mode::kCentredOnScreen}};
constexpr std::array kLabelText = {TypeSetting{property::kText, "标签"}};
constexpr std::array kFirstText = {TypeSetting{property::kText, "First(&F)"}};
constexpr std::array kSecondText = {TypeSetting{property::kText, "Second(&S)"}};
constexpr std::array kDialogSettings = {TypeSetting{property::kDialogKind, 1},
                                        TypeSetting{property::kDefaultExtension, ".MP3"},
                                        TypeSetting{property::kOverwritePrompt, 1}};
constexpr std::array kWindowEvents = {
    EventBinding{window_event::kCreated, 2}, EventBinding{window_event::kMoved, 3},
    EventBinding{window_event::kResized, 4}, EventBinding{window_event::kDestroyed, 5}};
constexpr std::array kFirstClick = {EventBinding{button_event::kClick, 0}};
constexpr std::array kSecondClick = {EventBinding{button_event::kClick, 1}};

void Note(const char* event) {
  TheJournal().events.emplace_back(event);
}

}  // namespace

Journal& TheJournal() {
  static Journal journal;
  return journal;
}

std::vector<UnitDescription> TestUnits() {
  return {
      {type_code::kWindow,
       kSelf,
       "",
       {0, 0, 300, 200},
       0,
       {},
       0,
       "",
       true,
       false,
       false,
       0,
       kWindowEvents,
       kWindowSettings},
      {type_code::kLabel,
       kLabel,
       "label",
       {0, 0, 50, 15},
       0,
       {},
       0,
       "",
       true,
       false,
       false,
       0,
       {},
       kLabelText},
      {type_code::kButton,
       kSecondButton,
       "second",
       {0, 20, 50, 20},
       0,
       {},
       0,
       "",
       true,
       false,
       true,
       0,
       kSecondClick,
       kSecondText},
      {type_code::kButton,
       kFirstButton,
       "first",
       {60, 20, 50, 20},
       0,
       {},
       0,
       "",
       true,
       false,
       true,
       0,
       kFirstClick,
       kFirstText},
      {type_code::kEditBox,
       kEdit,
       "edit",
       {0, 0, 0, 0},
       0,
       {},
       0,
       "",
       false,
       false,
       true,
       0,
       {},
       {}},
      {type_code::kCommonDialog,
       kDialog,
       "dialog",
       {0, 0, 10, 10},
       0,
       {},
       0,
       "",
       false,
       false,
       false,
       0,
       {},
       kDialogSettings},
  };
}

TestProgram::TestProgram() {
  handlers = {
      [] {
        Note("first clicked");
        if (TheJournal().onFirstClick)
          TheJournal().onFirstClick();
      },
      [] { Note("second clicked"); },
      [] {
        Note("created");
        if (TheJournal().onCreated)
          TheJournal().onCreated();
      },
      [] { Note("moved"); },
      [] { Note("resized"); },
      [] { Note("destroyed"); },
  };
  TheJournal() = Journal{};
}

const ProgramDescription& TestProgram::Build() {
  windows = {WindowDescription{kWindow, units}};
  description = ProgramDescription{windows, handlers, constantTexts, libraries};
  return description;
}

int TestEntry() {
  StartFramework();
  SetShutdownRoutine([] { ++TheJournal().shutdowns; });
  LoadStartWindow(kWindow);
  RunMessageLoop();
  return 0;
}

}  // namespace sonavel::testing
