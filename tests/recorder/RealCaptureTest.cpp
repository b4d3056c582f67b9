// The recorder on real sound: the system's default input (ALSA's default device, or the wave
// mapper under Wine), which the test script routes to a private sound server playing a 440 Hz
// sine in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "recorder/WaveRecorder.h"
#include "tests/support/SystemWaveInput.h"

namespace sonavel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kRate = 8000;
constexpr std::uint32_t kFramesPerBuffer = WaveRecorder::kCaptureBufferBytes / 4;
constexpr double kStartUpFrames = 0.5 * kRate;

std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::int16_t LeftSample(const std::string& data, std::size_t frame) {
  const auto low = static_cast<unsigned char>(data[frame * 4]);
  const auto high = static_cast<unsigned char>(data[frame * 4 + 1]);
  return static_cast<std::int16_t>(low | high << 8);
}

// The frequency of the left channel, from its rising zero crossings.
double DominantFrequency(const std::string& data, std::size_t firstFrame, std::size_t frames) {
  int crossings = 0;
  for (std::size_t frame = firstFrame + 1; frame < firstFrame + frames; ++frame) {
    if (LeftSample(data, frame - 1) < 0 && LeftSample(data, frame) >= 0)
      ++crossings;
  }
  return crossings * static_cast<double>(kRate) / static_cast<double>(frames);
}

TEST(RealCaptureTest, TwoSecondsOfA440HzSineAreRecordedWhole) {
  if (std::getenv("PULSE_SERVER") == nullptr)
    GTEST_SKIP() << "needs the private sound server of tests/support/with_sound_server";
  const std::unique_ptr<WaveInput> input = MakeSystemWaveInput();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "sonavel-real-capture.wav";
  Clock::duration recorded{};
  {
    WaveRecorder recorder(1, 2, *input, [](std::uint32_t milliseconds) {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    });
    ASSERT_TRUE(recorder.SetFormat({2, 8000, 16}));
    const Clock::time_point started = Clock::now();
    ASSERT_TRUE(recorder.Start());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    recorded = Clock::now() - started;
    ASSERT_TRUE(recorder.Stop());
    ASSERT_TRUE(recorder.Save(file.string(), true));
    EXPECT_FALSE(recorder.Engine().StoppedForLackOfMemory());
  }

  const std::string bytes = Contents(file);
  std::filesystem::remove(file);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(bytes.compare(0, 4, "RIFF"), 0);
  const std::string data = bytes.substr(44);
  const std::size_t frames = data.size() / 4;
  const double expectedFrames = std::chrono::duration<double>(recorded).count() * kRate;
  // Whatever was captured before Stop arrives, the partly filled buffer included: the file is
  // short of the time between Start and Stop by the device's start-up at most (under Wine its
  // sound server connection takes a few hundred milliseconds), give or take one buffer.
  EXPECT_GE(static_cast<double>(frames), expectedFrames - kStartUpFrames - kFramesPerBuffer)
      << frames << " frames for " << expectedFrames;
  EXPECT_LE(static_cast<double>(frames), expectedFrames + kFramesPerBuffer);
  ASSERT_GT(frames, kRate);
  std::printf("%zu frames captured in %.0f frames' time\n", frames, expectedFrames);
  // Past the start, through to the very end: a missing block at the end would show as silence.
  const std::size_t skip = kRate / 4;
  EXPECT_NEAR(DominantFrequency(data, skip, frames - skip), 440.0, 5.0);
  EXPECT_NEAR(DominantFrequency(data, frames - kFramesPerBuffer / 2, kFramesPerBuffer / 2), 440.0,
              20.0);
}

}  // namespace
}  // namespace sonavel
