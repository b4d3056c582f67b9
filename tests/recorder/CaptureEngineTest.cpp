#include <gtest/gtest.h>

#include <set>

#include "tests/recorder/RecorderFixture.h"

namespace sonavel::testing {
namespace {

using CaptureTest = RecorderTest;

TEST_F(CaptureTest, DeviceIsOpenedInTheDerivedFormat) {
  ASSERT_TRUE(recorder_->Start());  // never given a format: mono, 8000 Hz, 16 bits
  EXPECT_EQ(device_.OpenedFormat(), (WAVEFORMATEX{1, 1, 8000, 16000, 2, 16, 0}));
  struct Case {
    RecordingFormat format;
    WAVEFORMATEX expected;
  };
  const Case cases[] = {
      {{2, 8000, 16}, {1, 2, 8000, 32000, 4, 16, 0}},
      {{1, 44100, 8}, {1, 1, 44100, 44100, 1, 8, 0}},
      {{2, 44100, 16}, {1, 2, 44100, 176400, 4, 16, 0}},
      {{1, 11025, 8}, {1, 1, 11025, 11025, 1, 8, 0}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(recorder_->SetFormat(c.format));
    ASSERT_TRUE(recorder_->Start());
    EXPECT_EQ(device_.OpenedFormat(), c.expected) << c.format.channels << c.format.bitsPerSample;
    EXPECT_EQ(recorder_->Engine().CaptureWave().Format(), c.expected);
  }
}

TEST_F(CaptureTest, RefusedFormatsChangeNothing) {
  ASSERT_TRUE(recorder_->SetFormat({2, 22050, 8}));
  const RecordingFormat refused[] = {{3, 8000, 16},     {0, 8000, 16},         {2, 16000, 16},
                                     {2, 48000, 16},    {2, 8000, 24},         {2, 8000, 0},
                                     {65538, 8000, 16}, {2, 8000 + 65536, 16}, {2, 8000, 65552}};
  for (const RecordingFormat& format : refused) {
    EXPECT_FALSE(recorder_->SetFormat(format)) << format.channels << " " << format.samplesPerSecond;
    EXPECT_EQ(recorder_->Format(), (RecordingFormat{2, 22050, 8}));
  }
}

TEST_F(CaptureTest, TwoBuffersCirculateAlternately) {
  ASSERT_TRUE(recorder_->Start());
  Capture(3);
  const std::vector<const WAVEHDR*> added = device_.AddedHeaders();
  ASSERT_EQ(added.size(), 5u);
  EXPECT_NE(added[0], added[1]);
  EXPECT_EQ((std::vector{added[2], added[3], added[4]}),
            (std::vector{added[0], added[1], added[0]}));
  EXPECT_TRUE(device_.IsStarted());
  EXPECT_FALSE(recorder_->Engine().Stopping());
}

TEST_F(CaptureTest, BlocksHoldWholeFramesInTheOrderReturned) {
  ASSERT_TRUE(recorder_->SetFormat({2, 8000, 16}));
  ASSERT_TRUE(recorder_->Start());
  // 1024 frames, nothing, 1023 frames and 3 stray bytes, 37 frames.
  device_.ScriptBytesRecorded({4096, 0, 4095, 148});
  Capture(4);
  EXPECT_EQ(recorder_->Engine().BlockCount(), 3u);
  EXPECT_EQ(recorder_->Engine().TotalFrames(), 2084u);
  ASSERT_TRUE(recorder_->Save(PathOf("a.wav"), true));
  // The buffer with 4095 bytes began frame 2047; its partial frame was dropped.
  EXPECT_EQ(FrameNumbers(recorder_->Recording()),
            Joined(Joined(Frames(0, 1024), Frames(1024, 1023)), Frames(2048, 37)));
}

TEST_F(CaptureTest, StopHaltsAndWhatTheResetHandsBackStillBecomesBlocks) {
  ASSERT_TRUE(recorder_->SetFormat({2, 8000, 16}));
  ASSERT_TRUE(recorder_->Start());
  Capture(1);
  pauses_.clear();
  device_.SetBytesHeldAtReset(400);
  const std::size_t added = device_.AddedHeaders().size();

  EXPECT_TRUE(recorder_->Stop());
  EXPECT_EQ(pauses_, std::vector<std::uint32_t>{CaptureEngine::kResetPauseMs});
  EXPECT_TRUE(recorder_->Engine().Stopping());
  EXPECT_TRUE(recorder_->Engine().IsOpen());  // Stop does not close
  ASSERT_TRUE(Eventually([&] { return recorder_->Engine().BlockCount() == 2; }));
  device_.WaitForDeliveries();
  EXPECT_EQ(device_.AddedHeaders().size(), added);  // nothing queued again
  EXPECT_EQ(device_.Queued(), 0);

  EXPECT_TRUE(recorder_->Stop());  // again: pauses and resets once more
  EXPECT_EQ(pauses_.size(), 2u);
  EXPECT_EQ(CallsOf(Call::kReset), 3);  // Start's own, then two Stops
  EXPECT_EQ(recorder_->Engine().TotalFrames(), 1024u + 100u);
}

TEST_F(CaptureTest, StopOnANeverStartedRecorderDoesNothing) {
  EXPECT_TRUE(recorder_->Stop());
  EXPECT_TRUE(device_.Calls().empty());
  EXPECT_TRUE(pauses_.empty());
}

TEST_F(CaptureTest, SecondStartDiscardsTheFirstRecording) {
  ASSERT_TRUE(recorder_->Start());
  Capture(2);
  ASSERT_TRUE(recorder_->Start());
  EXPECT_EQ(CallsOf(Call::kOpen), 2);
  EXPECT_EQ(CallsOf(Call::kClose), 1);
  EXPECT_EQ(recorder_->Engine().BlockCount(), 0u);
  const std::uint32_t next = static_cast<std::uint32_t>(device_.NextFrame());
  Capture(1);
  ASSERT_TRUE(recorder_->Save(PathOf("b.wav"), true));
  EXPECT_EQ(FrameNumbers(recorder_->Recording()), Frames(next, 2048));
}

TEST_F(CaptureTest, FailuresOfStartLeaveTheStatesTheyShould) {
  struct Case {
    const char* name;
    Call call;
    int skip;
    MMRESULT result;
    bool open;
    bool started;
    bool stopping;
    std::size_t blocks;
  };
  // Each starts over a running capture that holds one block.
  const Case cases[] = {
      {"format refused: the capture goes on", Call::kQueryFormat, 0, WAVERR_BADFORMAT, true, true,
       false, 1},
      {"open fails", Call::kOpen, 0, MMSYSERR_ALLOCATED, false, false, true, 1},
      {"old device will not reset", Call::kReset, 0, MMSYSERR_ERROR, true, true, true, 1},
      {"old device will not close", Call::kClose, 0, MMSYSERR_ERROR, true, false, true, 1},
      {"new device will not reset", Call::kReset, 1, MMSYSERR_ERROR, true, false, true, 1},
      {"prepare fails", Call::kPrepareHeader, 0, MMSYSERR_NOMEM, true, false, false, 0},
      {"second buffer refused", Call::kAddBuffer, 1, MMSYSERR_NOMEM, true, false, false, 0},
      {"start fails", Call::kStart, 0, MMSYSERR_ERROR, true, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    headless::SimulatedWaveInput device;
    WaveRecorder recorder(1, 2, device, [](std::uint32_t) {});
    ASSERT_TRUE(recorder.Start());
    ASSERT_EQ(device.Fill(1), 1);
    ASSERT_TRUE(device.WaitForQueued(2));
    device.FailCall(c.call, c.result, c.skip);

    EXPECT_FALSE(recorder.Start());
    EXPECT_EQ(recorder.Engine().IsOpen(), c.open);
    EXPECT_EQ(device.IsStarted(), c.started);
    EXPECT_EQ(recorder.Engine().Stopping(), c.stopping);
    EXPECT_EQ(recorder.Engine().BlockCount(), c.blocks);
  }
}

TEST_F(CaptureTest, ReturnedBufferTroublesCostOneBufferAndNothingElse) {
  struct Case {
    const char* name;
    Call call;
    std::size_t blocksAfterFirstReturn;
  };
  const Case cases[] = {
      {"unprepare fails: the sound is dropped", Call::kUnprepareHeader, 0},
      {"re-queue fails", Call::kAddBuffer, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    headless::SimulatedWaveInput device;
    WaveRecorder recorder(1, 2, device, [](std::uint32_t) {});
    ASSERT_TRUE(recorder.Start());
    device.FailCall(c.call, MMSYSERR_ERROR);
    // Returned buffers are handled in order, so each fill below comes after the troubled one.
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(device.Fill(1), 1);
      ASSERT_TRUE(device.WaitForQueued(1));
    }
    ASSERT_TRUE(
        Eventually([&] { return recorder.Engine().BlockCount() == c.blocksAfterFirstReturn + 3; }));
    EXPECT_EQ(device.Queued(), 1);
  }
}

TEST_F(CaptureTest, StopThatCannotResetStillQueuesNothingAgain) {
  ASSERT_TRUE(recorder_->Start());
  device_.FailCall(Call::kReset, MMSYSERR_ERROR);
  EXPECT_FALSE(recorder_->Stop());
  EXPECT_TRUE(recorder_->Engine().Stopping());
  ASSERT_EQ(device_.Fill(1), 1);
  ASSERT_TRUE(device_.WaitForQueued(1));
  ASSERT_TRUE(Eventually([&] { return recorder_->Engine().BlockCount() == 1; }));
  EXPECT_EQ(device_.AddedHeaders().size(), 2u);
}

TEST_F(CaptureTest, RunningOutOfMemoryStopsCaptureAndKeepsWhatWasCaptured) {
  ASSERT_TRUE(recorder_->SetFormat({2, 8000, 16}));
  ASSERT_TRUE(recorder_->Start());
  Capture(1);
  memory_.FailAll(true);
  ASSERT_EQ(device_.Fill(1), 1);
  ASSERT_TRUE(Eventually([&] { return recorder_->Engine().StoppedForLackOfMemory(); }));
  EXPECT_TRUE(recorder_->Engine().Stopping());
  memory_.FailAll(false);
  // The buffer still out comes back once more and is kept; none is queued after it.
  ASSERT_EQ(device_.Fill(1), 1);
  ASSERT_TRUE(Eventually([&] { return recorder_->Engine().TotalFrames() == 2048; }));
  EXPECT_EQ(device_.Queued(), 0);
  EXPECT_TRUE(recorder_->Stop());
  ASSERT_TRUE(recorder_->Save(PathOf("d.wav"), true));
  // The frames of the buffer whose block could not be made are the only ones missing.
  EXPECT_EQ(FrameNumbers(recorder_->Recording()), Joined(Frames(0, 1024), Frames(2048, 1024)));
}

TEST_F(CaptureTest, SetFormatDuringCaptureLeavesTheCaptureAlone) {
  ASSERT_TRUE(recorder_->SetFormat({2, 8000, 16}));
  ASSERT_TRUE(recorder_->Start());
  Capture(1);
  EXPECT_TRUE(recorder_->SetFormat({1, 44100, 8}));
  Capture(1);
  EXPECT_EQ(device_.OpenedFormat().nChannels, 2);
  EXPECT_EQ(recorder_->Engine().TotalFrames(), 2048u);
}

TEST_F(CaptureTest, BlocksOfAnEarlierFormatAreLeftOutOfTheRecording) {
  ASSERT_TRUE(recorder_->SetFormat({2, 8000, 16}));
  ASSERT_TRUE(recorder_->Start());
  Capture(2);
  ASSERT_TRUE(recorder_->SetFormat({1, 8000, 8}));
  device_.FailCall(Call::kOpen, MMSYSERR_ALLOCATED);
  ASSERT_FALSE(recorder_->Start());
  EXPECT_EQ(recorder_->Engine().BlockCount(), 2u);  // the earlier blocks stay
  ASSERT_TRUE(recorder_->Save(PathOf("e.wav"), true));
  EXPECT_EQ(recorder_->Recording().Format().nBlockAlign, 1);
  EXPECT_EQ(recorder_->Recording().SampleCount(), 0u);
  EXPECT_EQ(std::filesystem::file_size(PathOf("e.wav")), 44u);
}

TEST_F(CaptureTest, DestroyingTheRecorderWhileCapturingClosesTheDeviceAndFreesEverything) {
  ASSERT_TRUE(recorder_->Start());
  Capture(3);
  recorder_.reset();
  EXPECT_FALSE(device_.IsOpen());
  EXPECT_EQ(memory_.Outstanding(), 0);
  const std::vector<std::uint32_t> messages = device_.Messages();
  EXPECT_EQ(messages.front(), WIM_OPEN);
  device_.WaitForDeliveries();
  EXPECT_EQ(device_.Messages().back(), WIM_CLOSE);
}

}  // namespace
}  // namespace sonavel::testing
