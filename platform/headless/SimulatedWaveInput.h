#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "recorder/WaveInput.h"

// A wave-input device for tests.
//
// How it works: the device keeps the buffers added to it in a queue. Nothing is captured on its
// own: a test calls Fill to have the oldest queued buffers filled and handed back, as a real
// device does every 128 ms. Every callback (WIM_OPEN, WIM_DATA, WIM_CLOSE) is made on the
// device's own delivery thread, in order, with no lock of the device held, so the recorder sees
// the threads it sees on a real system. Reset hands every queued buffer back on that thread too
// and returns without waiting for the callbacks.
//
// The signal is a running frame counter: every sample of frame k holds k, cut to the sample
// width (k mod 256 for 8 bits, k mod 65536 as a little-endian 16-bit value). Tests see order,
// gaps and repeats in what the recorder keeps.
namespace sonavel::headless {

class SimulatedWaveInput final : public WaveInput {
 public:
  enum class Call {
    kQueryFormat,
    kOpen,
    kPrepareHeader,
    kAddBuffer,
    kStart,
    kReset,
    kUnprepareHeader,
    kClose
  };
  static constexpr int kAlways = -1;

  SimulatedWaveInput();
  ~SimulatedWaveInput() override;
  SimulatedWaveInput(const SimulatedWaveInput&) = delete;
  SimulatedWaveInput& operator=(const SimulatedWaveInput&) = delete;

  // The call of this kind after `skip` more successful ones answers `result`, `times` times in a
  // row (kAlways: from then on), without any effect.
  void FailCall(Call call, MMRESULT result, int skip = 0, int times = 1);
  // dwBytesRecorded of the next filled buffers, in order; afterwards buffers are filled whole.
  void ScriptBytesRecorded(std::vector<std::uint32_t> counts);
  // What the oldest queued buffer holds when a reset hands it back (the others hold nothing).
  void SetBytesHeldAtReset(std::uint32_t bytes);

  // Fills up to `buffers` of the oldest buffers queued on the started device and hands them
  // back; answers how many it handed back.
  int Fill(int buffers);
  // Waits, with a bound of seconds, until `count` buffers are queued on the open device.
  bool WaitForQueued(int count);
  // Waits until every callback asked for so far has returned.
  void WaitForDeliveries();

  std::vector<Call> Calls() const;
  // The headers in the order they were added, over the device's life.
  std::vector<const WAVEHDR*> AddedHeaders() const;
  int Queued() const;
  bool IsOpen() const;
  bool IsStarted() const;
  // The format of the device opened last.
  WAVEFORMATEX OpenedFormat() const;
  // Frames of the signal produced so far; the next frame has this number.
  std::uint64_t NextFrame() const;
  // Messages the callback was given, in order.
  std::vector<std::uint32_t> Messages() const;

  MMRESULT QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) override;
  MMRESULT Open(HWAVEIN* device, std::uint32_t deviceId, const WAVEFORMATEX& format,
                WaveInProc callback, std::uintptr_t instance) override;
  MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT Start(HWAVEIN device) override;
  MMRESULT Reset(HWAVEIN device) override;
  MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT Close(HWAVEIN device) override;

 private:
  struct Device;
  struct Delivery {
    WaveInProc callback = nullptr;
    HWAVEIN handle = nullptr;
    std::uint32_t message = 0;
    std::uintptr_t instance = 0;
    WAVEHDR* header = nullptr;
  };
  struct Fault {
    Call call;
    MMRESULT result;
    int skip;
    int times;
  };

  // These run with mutex_ held.
  bool Faulted(Call call, MMRESULT& result);
  Device* Find(HWAVEIN handle) const;
  Device* Current() const;
  void FillWithSignal(Device& device, WAVEHDR& header, std::uint32_t bytes);
  void HandBack(Device& device, WAVEHDR& header, std::uint32_t bytes);
  void Post(const Device& device, std::uint32_t message, WAVEHDR* header);
  void DeliveryThreadMain();

  // Guards everything below: tests script and observe from their thread, the recorder calls
  // from its UI and capture threads, the delivery thread takes deliveries.
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Fault> faults_;
  std::deque<std::uint32_t> scriptedBytes_;
  std::uint32_t bytesHeldAtReset_ = 0;
  std::vector<std::unique_ptr<Device>> devices_;
  std::vector<Call> calls_;
  std::vector<const WAVEHDR*> added_;
  std::vector<std::uint32_t> messages_;
  std::uint64_t nextFrame_ = 0;
  std::deque<Delivery> deliveries_;
  bool delivering_ = false;
  bool quit_ = false;
  std::thread deliveryThread_;
};

}  // namespace sonavel::headless
