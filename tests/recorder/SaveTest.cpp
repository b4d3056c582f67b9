#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>

#include "framework/FileError.h"
#include "tests/recorder/RecorderFixture.h"

namespace sonavel::testing {
namespace {

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= std::uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
  return value;
}

using SaveTest = RecorderTest;

TEST_F(SaveTest, NeverStartedRecorderWritesTheBareHeader) {
  ASSERT_TRUE(recorder_->Save(PathOf("never.wav"), false));
  const std::string expected{
      "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0data\0\0\0\0", 44};
  EXPECT_EQ(Contents(PathOf("never.wav")), expected);
  EXPECT_TRUE(device_.Calls().empty());
}

TEST_F(SaveTest, SaveWhileCapturingWritesEverythingUpToThen) {
  RecordTwoBuffers();
  device_.SetBytesHeldAtReset(400);
  ASSERT_TRUE(recorder_->Save(PathOf("live.wav"), true));
  EXPECT_FALSE(recorder_->Engine().IsOpen());
  EXPECT_FALSE(device_.IsOpen());
  EXPECT_TRUE(recorder_->Engine().Stopping());
  const std::string file = Contents(PathOf("live.wav"));
  const std::uint32_t data = (2048 + 100) * 4;
  ASSERT_EQ(file.size(), 44u + data);
  EXPECT_EQ(U32At(file, 4), data + 36);
  EXPECT_EQ(U32At(file, 40), data);
  EXPECT_EQ(FrameNumbers(recorder_->Recording()), Frames(0, 2148));
  EXPECT_EQ(file.compare(44, data,
                         reinterpret_cast<const char*>(recorder_->Recording().SampleData()), data),
            0);
  EXPECT_EQ(recorder_->Engine().BlockCount(), 3u);  // the blocks stay
}

TEST_F(SaveTest, SecondSaveWritesTheSameBytesAndReplacesALongerFile) {
  RecordTwoBuffers();
  ASSERT_TRUE(recorder_->Stop());
  { std::ofstream(PathOf("second.MP3"), std::ios::binary) << std::string(100000, 'x'); }
  ASSERT_TRUE(recorder_->Save(PathOf("first.wav"), true));
  ASSERT_TRUE(recorder_->Save(PathOf("second.MP3"), true));
  const std::string first = Contents(PathOf("first.wav"));
  EXPECT_EQ(first.size(), 44u + 8192u);
  EXPECT_EQ(first.substr(0, 4), "RIFF");
  EXPECT_EQ(Contents(PathOf("second.MP3")), first);
}

TEST_F(SaveTest, ExistingFileWithoutOverwriteIsLeftAloneAndCaptureGoesOn) {
  RecordTwoBuffers();
  { std::ofstream(PathOf("keep.wav")) << "old"; }
  const std::size_t callsBefore = device_.Calls().size();
  EXPECT_FALSE(recorder_->Save(PathOf("keep.wav"), false));
  EXPECT_EQ(Contents(PathOf("keep.wav")), "old");
  EXPECT_EQ(device_.Calls().size(), callsBefore);
  Capture(1);
  EXPECT_EQ(recorder_->Engine().TotalFrames(), 3072u);

  EXPECT_TRUE(recorder_->Save(PathOf("new.wav"), false));  // no such file: written
  EXPECT_EQ(Contents(PathOf("new.wav")).size(), 44u + 3072u * 4u);
}

TEST_F(SaveTest, DeviceThatCannotBeClosedLeavesEverythingAsItWas) {
  const Call failing[] = {Call::kReset, Call::kClose};
  for (const Call call : failing) {
    headless::SimulatedWaveInput device;
    WaveRecorder recorder(1, 2, device, [](std::uint32_t) {});
    ASSERT_TRUE(recorder.Start());
    device.FailCall(call, MMSYSERR_ERROR);
    EXPECT_FALSE(recorder.Save(PathOf("closed.wav"), true));
    EXPECT_TRUE(recorder.Engine().IsOpen());
    EXPECT_TRUE(recorder.Engine().Stopping());
    EXPECT_FALSE(std::filesystem::exists(PathOf("closed.wav")));
  }
}

TEST_F(SaveTest, OutOfMemoryWhileJoiningLeavesTheBlocksForALaterSave) {
  RecordTwoBuffers();
  memory_.FailFrom(8192);
  EXPECT_THROW(recorder_->Save(PathOf("big.wav"), true), std::bad_alloc);
  EXPECT_FALSE(device_.IsOpen());
  EXPECT_EQ(recorder_->Engine().BlockCount(), 2u);
  EXPECT_FALSE(std::filesystem::exists(PathOf("big.wav")));
  memory_.FailFrom(SIZE_MAX);
  ASSERT_TRUE(recorder_->Save(PathOf("big.wav"), true));
  EXPECT_EQ(FrameNumbers(recorder_->Recording()), Frames(0, 2048));
}

}  // namespace
}  // namespace sonavel::testing
