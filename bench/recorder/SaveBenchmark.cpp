// Saving a one-hour recording (2 channels, 8000 Hz, 16 bits: 115,200,000 bytes in 28,125 blocks)
// beside a single write(2) of the same bytes into the same folder, and the sample memory the
// Save holds at its peak.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/headless/SimulatedWaveInput.h"
#include "recorder/SampleStorage.h"
#include "recorder/WaveRecorder.h"

namespace sonavel {
namespace {

constexpr int kHourOfBuffers = 28125;
constexpr std::size_t kHourOfBytes = std::size_t{kHourOfBuffers} * 4096;

// The C heap, counting the sample bytes held now and at most. The capture thread allocates
// too, so the counts are guarded.
class CountingMemory final : public MemorySource {
 public:
  void* Obtain(std::size_t bytes) override {
    void* block = std::malloc(bytes + kHeader);
    if (block == nullptr)
      return nullptr;
    *static_cast<std::size_t*>(block) = bytes;
    const std::scoped_lock lock(mutex_);
    held_ += bytes;
    peak_ = std::max(peak_, held_);
    return static_cast<char*>(block) + kHeader;
  }
  void Release(void* block) override {
    if (block == nullptr)
      return;
    void* start = static_cast<char*>(block) - kHeader;
    const std::scoped_lock lock(mutex_);
    held_ -= *static_cast<std::size_t*>(start);
    std::free(start);
  }
  // Starts a new peak from what is held now.
  std::size_t RestartPeak() {
    const std::scoped_lock lock(mutex_);
    peak_ = held_;
    return held_;
  }
  std::size_t Peak() const {
    const std::scoped_lock lock(mutex_);
    return peak_;
  }

 private:
  static constexpr std::size_t kHeader = alignof(std::max_align_t);
  mutable std::mutex mutex_;
  std::size_t held_ = 0;
  std::size_t peak_ = 0;
};

std::string FileInBuildFolder(const char* name) {
  return (std::filesystem::current_path() / name).string();
}

void BM_SaveOneHour(benchmark::State& state) {
  CountingMemory memory;
  UseSampleMemory(memory);
  {
    headless::SimulatedWaveInput device;
    WaveRecorder recorder(1, 2, device, [](std::uint32_t) {});
    recorder.SetFormat({2, 8000, 16});
    recorder.Start();
    for (int i = 0; i < kHourOfBuffers; ++i) {
      device.Fill(1);
      device.WaitForQueued(2);
    }
    recorder.Stop();
    const std::string path = FileInBuildFolder("bench-save.wav");
    const std::size_t before = memory.RestartPeak();
    for (auto _ : state)
      benchmark::DoNotOptimize(recorder.Save(path, true));
    state.counters["recording_MB"] = static_cast<double>(kHourOfBytes) / 1e6;
    state.counters["peak_vs_recording"] =
        static_cast<double>(memory.Peak()) / static_cast<double>(kHourOfBytes);
    state.counters["held_before_vs_recording"] =
        static_cast<double>(before) / static_cast<double>(kHourOfBytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kHourOfBytes));
    std::filesystem::remove(path);
  }
  UseSampleMemory(SystemMemory());
}
BENCHMARK(BM_SaveOneHour)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_OneWriteOfTheSameBytes(benchmark::State& state) {
  const std::vector<char> bytes(kHourOfBytes + 44, 'x');
  const std::string path = FileInBuildFolder("bench-write.raw");
  for (auto _ : state) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    benchmark::DoNotOptimize(::write(descriptor, bytes.data(), bytes.size()));
    ::close(descriptor);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
  std::filesystem::remove(path);
}
BENCHMARK(BM_OneWriteOfTheSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace
}  // namespace sonavel

BENCHMARK_MAIN();
