#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/MemorySource.h"
#include "platform/headless/ScriptedMemory.h"
#include "platform/headless/SimulatedWaveInput.h"
#include "recorder/SampleStorage.h"
#include "recorder/WaveRecorder.h"

namespace sonavel::testing {

using Call = headless::SimulatedWaveInput::Call;

// Polls, with a bound of seconds, until the condition holds: the capture thread works on its own.
inline bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A file's bytes, all of them.
inline std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The frame numbers of the simulated signal held by a wave: the first sample of every frame.
inline std::vector<std::uint32_t> FrameNumbers(const CWave& wave) {
  const WAVEFORMATEX format = wave.Format();
  std::vector<std::uint32_t> numbers;
  const auto* bytes = reinterpret_cast<const unsigned char*>(wave.SampleData());
  for (std::uint32_t frame = 0; frame < wave.SampleCount(); ++frame) {
    const unsigned char* first = bytes + std::size_t{frame} * format.nBlockAlign;
    numbers.push_back(format.wBitsPerSample == 8 ? first[0] : first[0] | first[1] << 8);
  }
  return numbers;
}

// Frame numbers first, first + 1, ..., as the signal holds them (cut to 16 bits).
inline std::vector<std::uint32_t> Frames(std::uint32_t first, std::uint32_t count) {
  std::vector<std::uint32_t> numbers;
  for (std::uint32_t i = 0; i < count; ++i)
    numbers.push_back((first + i) & 0xFFFF);
  return numbers;
}

inline std::vector<std::uint32_t> Joined(std::vector<std::uint32_t> head,
                                         const std::vector<std::uint32_t>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

// A recorder on a simulated device, its sample storage from scripted memory, files in a folder
// of its own.
class RecorderTest : public ::testing::Test {
 protected:
  RecorderTest() {
    UseSampleMemory(memory_);
    folder_ =
        std::filesystem::temp_directory_path() /
        ("sonavel-recorder-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  ~RecorderTest() override {
    recorder_.reset();
    UseSampleMemory(SystemMemory());
    std::filesystem::remove_all(folder_);
  }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  // Has the device fill `buffers` buffers one at a time and waits until the recorder has
  // queued a fresh one for each.
  void Capture(int buffers) {
    for (int i = 0; i < buffers; ++i) {
      ASSERT_EQ(device_.Fill(1), 1);
      ASSERT_TRUE(device_.WaitForQueued(2));
    }
  }

  // A stereo 16-bit recording of two full buffers, still capturing.
  void RecordTwoBuffers() {
    ASSERT_TRUE(recorder_->SetFormat({2, 8000, 16}));
    ASSERT_TRUE(recorder_->Start());
    Capture(2);
  }

  int CallsOf(Call call) const {
    int count = 0;
    for (Call made : device_.Calls())
      count += made == call ? 1 : 0;
    return count;
  }

  headless::ScriptedMemory memory_;
  headless::SimulatedWaveInput device_;
  // Written by the recorder's pause on the test's own thread.
  std::vector<std::uint32_t> pauses_;
  std::unique_ptr<WaveRecorder> recorder_ = std::make_unique<WaveRecorder>(
      0x52000001, 0x16000009, device_, [this](std::uint32_t ms) { pauses_.push_back(ms); });
  std::filesystem::path folder_;
};

}  // namespace sonavel::testing
