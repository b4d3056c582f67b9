// The recording workflow end to end on the headless desktop: the six handlers, the dialog, the
// boxes and the recorder on a simulated device, driven by keys as a user drives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/ControlIds.h"
#include "app/ProgramEntry.h"
#include "framework/Framework.h"
#include "framework/HandlerErrorBox.h"
#include "framework/PropertyIndex.h"
#include "framework/Services.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/ScriptedMemory.h"
#include "platform/headless/SimulatedWaveInput.h"
#include "recorder/SampleStorage.h"
#include "recorder/WaveRecorder.h"

namespace sonavel {
namespace {

using headless::HeadlessDesktop;
using Call = headless::SimulatedWaveInput::Call;

constexpr std::uint32_t kConfirmationFlags = 0x2040;

std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class WorkflowTest : public ::testing::Test {
 protected:
  WorkflowTest() {
    UseWaveInput(device_);
    UseSampleMemory(memory_);
    folder_ = std::filesystem::temp_directory_path() /
              ("sonavel-workflow-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    framework_.Start();
    framework_.LoadStartWindow(ids::kMainWindow);
  }
  ~WorkflowTest() override {
    UseSampleMemory(SystemMemory());
    std::filesystem::remove_all(folder_);
  }

  // A text property as the handlers read it; the copy is released at once.
  static std::string Text(ControlId unit, std::int32_t index = property::kText) {
    char* text = ReadProperty(ids::kMainWindow, unit, index, -1).AsText();
    std::string copy = text != nullptr ? text : "";
    FreeMemory(text);
    return copy;
  }
  static std::string Status() { return Text(ids::kStatusLabel); }

  void ChooseLocation(const std::optional<std::string>& answer) {
    desktop_.AnswerNextDialog(answer);
    desktop_.PressAlt('O');
  }
  // The device fills buffers; the recorder has queued a fresh one for each.
  void Capture(int buffers) {
    for (int i = 0; i < buffers; ++i) {
      ASSERT_EQ(device_.Fill(1), 1);
      ASSERT_TRUE(device_.WaitForQueued(2));
    }
  }
  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::vector<std::uint32_t> SleepsOf(std::uint32_t milliseconds) const {
    std::vector<std::uint32_t> found;
    for (std::uint32_t sleep : desktop_.Sleeps()) {
      if (sleep == milliseconds)
        found.push_back(sleep);
    }
    return found;
  }

  headless::SimulatedWaveInput device_;
  headless::ScriptedMemory memory_;
  HeadlessDesktop desktop_;
  Framework framework_{desktop_, SonavelProgram()};
  std::filesystem::path folder_;
};

TEST_F(WorkflowTest, ChooseRecordStopGivesTheFileTheConfirmationAndThePause) {
  const std::string path = PathOf("take.MP3");
  ChooseLocation(path);
  EXPECT_EQ(Text(ids::kEditBox1), path);
  EXPECT_EQ(Text(ids::kPathLabel), path);
  EXPECT_EQ(Status(), "未录音");

  desktop_.PressAlt('R');
  EXPECT_EQ(Status(), "正在录音");
  EXPECT_EQ(device_.OpenedFormat(), (WAVEFORMATEX{1, 2, 8000, 32000, 4, 16, 0}));
  Capture(2);

  std::string statusDuringBox;
  desktop_.whileModal = [&] { statusDuringBox = Status(); };
  desktop_.PressAlt('S');
  desktop_.whileModal = nullptr;

  ASSERT_EQ(desktop_.Boxes().size(), 1u);
  EXPECT_EQ(desktop_.Boxes()[0].text, "位置为：" + path + "的录音文件已保存");
  EXPECT_EQ(desktop_.Boxes()[0].title, "恭喜");
  EXPECT_EQ(desktop_.Boxes()[0].flags, kConfirmationFlags);
  EXPECT_EQ(statusDuringBox, "录音文件已保存");
  EXPECT_EQ(desktop_.Sleeps().back(), 15000u);
  EXPECT_EQ(Status(), "未录音");

  // A name ending in .MP3 holds RIFF/WAVE all the same: 2048 frames of 4 bytes.
  const std::string file = Contents(path);
  ASSERT_EQ(file.size(), 44u + 8192u);
  EXPECT_EQ(file.substr(0, 4), "RIFF");
  EXPECT_EQ(file.substr(8, 8), "WAVEfmt ");
  EXPECT_FALSE(device_.IsOpen());
}

TEST_F(WorkflowTest, FailedSaveShowsTheErrorBoxAndKeepsTheRecordingForTheNextStop) {
  struct Case {
    std::string location;  // empty: none chosen yet
    std::string named;     // what the error text must hold
  };
  const Case cases[] = {
      {"", "没有指定文件名"},
      {PathOf("missing/take.wav"), "“" + PathOf("missing/take.wav") + "”"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    if (!c.location.empty())
      ChooseLocation(c.location);
    desktop_.PressAlt('R');
    Capture(1);
    const std::size_t boxes = desktop_.Boxes().size();
    const std::size_t pauses = SleepsOf(15000).size();
    const std::string focused = desktop_.FocusedText();
    desktop_.PressAlt('S');

    ASSERT_EQ(desktop_.Boxes().size(), boxes + 1);
    const headless::BoxRecord& box = desktop_.Boxes().back();
    EXPECT_EQ(box.title, handler_error::kTitle);
    EXPECT_EQ(box.flags, handler_error::kFlags);
    EXPECT_NE(box.text.find(c.named), std::string::npos) << box.text;
    EXPECT_EQ(Status(), "正在录音");  // the handler ended at Save
    EXPECT_EQ(SleepsOf(15000).size(), pauses);
    EXPECT_EQ(desktop_.FocusedText(), focused);  // the box gave the focus back

    // Choosing a location and stopping again saves the same recording.
    ChooseLocation(PathOf("second.wav"));
    desktop_.PressAlt('S');
    EXPECT_EQ(desktop_.Boxes().back().title, "恭喜");
    EXPECT_EQ(Contents(PathOf("second.wav")).size(), 44u + 4096u);
    EXPECT_EQ(Status(), "未录音");
  }
}

TEST_F(WorkflowTest, StopWithoutEverRecordingWritesTheEmptyRecording) {
  ChooseLocation(PathOf("empty.wav"));
  desktop_.PressAlt('S');
  const std::string file = Contents(PathOf("empty.wav"));
  ASSERT_EQ(file.size(), 44u);
  EXPECT_EQ(file.substr(20, 2), std::string("\x01\x00", 2));  // format tag 1, all else 0
  EXPECT_EQ(desktop_.Boxes().back().title, "恭喜");
  EXPECT_EQ(SleepsOf(15000).size(), 1u);
  EXPECT_EQ(Status(), "未录音");
}

TEST_F(WorkflowTest, DialogKeepsThePreviousChoiceAndTakesNoKeysWhileOpen) {
  ChooseLocation(std::nullopt);  // cancelled on first use: the label's prompt disappears
  EXPECT_EQ(Text(ids::kPathLabel), "");
  EXPECT_EQ(Text(ids::kEditBox1), "");

  const std::string path = PathOf("kept.wav");
  ChooseLocation(path);
  desktop_.whileModal = [&] { desktop_.PressAlt('R'); };
  ChooseLocation(std::nullopt);  // cancelled after a choice: the path stays
  desktop_.whileModal = nullptr;
  EXPECT_EQ(Text(ids::kPathLabel), path);
  EXPECT_EQ(Text(ids::kSaveDialog, property::kFileName), path);
  EXPECT_TRUE(device_.Calls().empty());  // Alt+R did nothing while the dialog was open

  const headless::DialogRecord& dialog = desktop_.Dialogs().back();
  EXPECT_TRUE(dialog.save);
  EXPECT_EQ(dialog.initialName, path);
  EXPECT_EQ(dialog.defaultExtension, "MP3");  // the system wants it without its period
  EXPECT_TRUE(dialog.overwritePrompt);
  EXPECT_EQ(desktop_.FocusedText(), "保存位置(&O)");
}

TEST_F(WorkflowTest, RecordTwiceStartsOver) {
  desktop_.PressAlt('R');
  Capture(1);
  desktop_.PressAlt('R');
  EXPECT_EQ(Status(), "正在录音");
  const std::vector<Call> calls = device_.Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), Call::kOpen), 2);
  ChooseLocation(PathOf("again.wav"));
  desktop_.PressAlt('S');
  EXPECT_EQ(Contents(PathOf("again.wav")).size(), 44u);  // the first take was discarded
}

TEST_F(WorkflowTest, AboutAndHelpShowTheirTextsWhileRecordingGoesOn) {
  desktop_.PressAlt('R');
  desktop_.PressAlt('A');
  desktop_.PressAlt('H');
  ASSERT_EQ(desktop_.Boxes().size(), 2u);
  EXPECT_EQ(desktop_.Boxes()[0].title, "关于");
  EXPECT_NE(desktop_.Boxes()[0].text.find("Sonavel 1.0"), std::string::npos);
  EXPECT_EQ(desktop_.Boxes()[1].title, "帮助");
  for (const headless::BoxRecord& box : desktop_.Boxes()) {
    EXPECT_EQ(box.flags, kConfirmationFlags);
    EXPECT_EQ(box.text.find('\n'), std::string::npos);
  }
  EXPECT_TRUE(device_.IsStarted());
  Capture(1);
}

TEST_F(WorkflowTest, RunningOutOfMemoryInAClickShowsTheBoxAndTheProgramGoesOn) {
  memory_.FailAll(true);
  desktop_.PressAlt('R');  // the capture buffers cannot be had
  memory_.FailAll(false);
  ASSERT_EQ(desktop_.Boxes().size(), 1u);
  EXPECT_EQ(desktop_.Boxes()[0].text, handler_error::kOutOfMemory);
  EXPECT_EQ(desktop_.Boxes()[0].flags, handler_error::kFlags);
  EXPECT_EQ(Status(), "未录音");
  desktop_.PressAlt('R');
  EXPECT_EQ(Status(), "正在录音");
}

// The whole program through its loop, recording from a simulated device.
class ProgramWorkflowTest : public ::testing::Test {
 protected:
  ProgramWorkflowTest() { UseWaveInput(device_); }
  headless::SimulatedWaveInput device_;
};

TEST_F(ProgramWorkflowTest, QuitWhileRecordingSavesNothingAndEndsWithZero) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "sonavel-quit-while-recording.wav";
  std::filesystem::remove(file);
  HeadlessDesktop desktop;
  desktop.ScriptIdle([&] {
    desktop.AnswerNextDialog(file.string());
    desktop.PressAlt('O');
    desktop.PressAlt('R');
    ASSERT_EQ(device_.Fill(1), 1);
    ASSERT_TRUE(device_.WaitForQueued(2));
    desktop.PressAlt('Q');
  });
  EXPECT_EQ(Framework::RunProgram(desktop, SonavelProgram(), &ProgramEntry), 0);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(device_.IsOpen());
}

}  // namespace
}  // namespace sonavel
