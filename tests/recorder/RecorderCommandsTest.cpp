#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/CoreLibrary.h"
#include "framework/FatalMessages.h"
#include "framework/FileError.h"
#include "framework/Framework.h"
#include "framework/ProcessEnded.h"
#include "framework/PropertyIndex.h"
#include "framework/Services.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/SimulatedWaveInput.h"
#include "recorder/MultimediaLibrary.h"
#include "recorder/WaveRecorder.h"

namespace sonavel {
namespace {

constexpr ControlId kWindow = 0x52000001;
constexpr ControlId kRecorder = 0x1600000C;
constexpr int kMultimedia = 1;
enum Command { kSetFormat = 0, kStart = 1, kStop = 2, kSave = 3 };

constexpr std::array kWindowSettings = {TypeSetting{property::kTitle, "Recorder"}};
const std::array kUnits = {
    UnitDescription{type_code::kWindow,
                    0x06000000,
                    "",
                    {0, 0, 200, 100},
                    0,
                    {},
                    0,
                    "",
                    true,
                    false,
                    false,
                    0,
                    {},
                    kWindowSettings},
    UnitDescription{MultimediaLibrary::kWaveRecordCode,
                    kRecorder,
                    "录音1",
                    {115, 0, 26, 26},
                    0,
                    {},
                    0,
                    "",
                    false,
                    false,
                    false,
                    0,
                    {},
                    {}},
};

// A window holding one recorder control, its commands reached the way a program reaches them.
class RecorderCommandsTest : public ::testing::Test {
 protected:
  RecorderCommandsTest() {
    UseWaveInput(device_);
    framework_.Start();
    framework_.LoadStartWindow(kWindow);
  }

  static ArgumentTriple Recorder(ControlId unit = kRecorder) {
    return ArgumentTriple::Object(kWindow, unit, MultimediaLibrary::kWaveRecordCode);
  }
  static CommandResult Run(Command command, std::vector<ArgumentTriple> arguments) {
    return CallLibraryCommand(kMultimedia, command, static_cast<int>(arguments.size()),
                              arguments.data());
  }
  static bool Logical(const CommandResult& result) {
    EXPECT_EQ(result.type, type_code::kLogical);
    EXPECT_EQ(result.high, 0u);
    return result.value == 1;
  }

  headless::SimulatedWaveInput device_;
  headless::HeadlessDesktop desktop_;
  const std::array<const WindowDescription, 1> windows_{WindowDescription{kWindow, kUnits}};
  const std::array<SupportLibrary* const, 2> libraries_{&TheCoreLibrary(), &TheMultimediaLibrary()};
  const ProgramDescription program_{windows_, {}, {}, libraries_};
  Framework framework_{desktop_, program_};
};

TEST_F(RecorderCommandsTest, RecorderLivesInAHiddenChildAndIsFoundByItsIdentity) {
  WaveRecorder& recorder = FindRecorder(kWindow, kRecorder);
  EXPECT_EQ(&FindRecorder(kWindow, kRecorder), &recorder);
  EXPECT_EQ(recorder.WindowId(), kWindow);
  EXPECT_EQ(recorder.UnitId(), kRecorder);
  std::vector<WindowHandle> children;
  for (WindowHandle handle = 1; handle < 64; ++handle) {
    const headless::Node* node = desktop_.Find(handle);
    if (node != nullptr && node->parent == desktop_.TopLevel())
      children.push_back(handle);
  }
  ASSERT_EQ(children.size(), 1u);
  const headless::Node& window = *desktop_.Find(children[0]);
  EXPECT_FALSE(window.shown);
  EXPECT_EQ(window.kind, ControlKind::kHidden);
  EXPECT_EQ(window.rect, (Rect{115, 0, 26, 26}));
}

TEST_F(RecorderCommandsTest, SetFormatAnswersWhetherAllThreeWereTaken) {
  EXPECT_TRUE(
      Logical(Run(kSetFormat, {Recorder(), ArgumentTriple::Integer(2),
                               ArgumentTriple::Integer(8000), ArgumentTriple::Integer(16)})));
  EXPECT_FALSE(
      Logical(Run(kSetFormat, {Recorder(), ArgumentTriple::Integer(1),
                               ArgumentTriple::Integer(44100), ArgumentTriple::Integer(24)})));
  EXPECT_EQ(FindRecorder(kWindow, kRecorder).Format(), (RecordingFormat{2, 8000, 16}));
}

TEST_F(RecorderCommandsTest, RecordStopSaveThroughTheCommands) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "sonavel-commands-test.MP3";
  { std::ofstream(file) << "old"; }
  EXPECT_TRUE(Logical(Run(kStart, {Recorder()})));
  ASSERT_EQ(device_.Fill(1), 1);
  ASSERT_TRUE(device_.WaitForQueued(2));
  EXPECT_TRUE(Logical(Run(kStop, {Recorder()})));
  // The pause before every reset: Start's own and Stop's.
  EXPECT_EQ(desktop_.Sleeps(), (std::vector<std::uint32_t>{10, 10}));

  // Any non-zero overwrite flag is true.
  const std::string name = file.string();
  EXPECT_TRUE(Logical(
      Run(kSave, {Recorder(), ArgumentTriple::Text(name.c_str()), {2, 0, type_code::kLogical}})));
  EXPECT_EQ(std::filesystem::file_size(file), 44u + 4096u);
  EXPECT_FALSE(Logical(Run(
      kSave, {Recorder(), ArgumentTriple::Text(name.c_str()), ArgumentTriple::Logical(false)})));
  std::filesystem::remove(file);
}

TEST_F(RecorderCommandsTest, NullFileNameIsTheEmptyName) {
  EXPECT_THROW(
      Run(kSave, {Recorder(), ArgumentTriple::Text(nullptr), ArgumentTriple::Logical(true)}),
      FileError);
}

TEST_F(RecorderCommandsTest, UnknownRecorderEndsTheProcessInTheFramework) {
  try {
    Run(kStart, {Recorder(0x16000077)});
    ADD_FAILURE() << "the command returned";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.exitCode, -1);
    ASSERT_FALSE(desktop_.Boxes().empty());
    EXPECT_NE(desktop_.Boxes().back().text.find(fatal_message::kUnitNotLoaded), std::string::npos);
  }
  EXPECT_TRUE(device_.Calls().empty());
}

TEST_F(RecorderCommandsTest, DestroyingTheWindowStopsAndForgetsTheRecorder) {
  EXPECT_TRUE(Logical(Run(kStart, {Recorder()})));
  framework_.MarkAndDestroy(kWindow, true);
  EXPECT_FALSE(device_.IsOpen());
}

}  // namespace
}  // namespace sonavel
