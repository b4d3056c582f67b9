#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "recorder/CWave.h"
#include "recorder/CapturedBlockList.h"
#include "recorder/InputDevice.h"
#include "recorder/SampleStorage.h"
#include "recorder/WaveInput.h"

// Records from a wave-input device into memory.
//
// How it works: two capture buffers circulate through the device. The device hands each filled
// buffer back through WaveInCallback on a thread of its own; the callback only posts the buffer
// to this engine's capture thread, because calling the device from its own callback deadlocks
// on Windows. The capture thread runs the steps for each returned buffer in order: clear its
// flags, unprepare it, append its whole frames as a block, release it, and queue a fresh buffer
// unless the engine is stopping. After a reset, the UI thread waits until every buffer the
// device handed back has been through those steps before it clears, walks or frees anything the
// capture thread touches, so no block is appended while the list is cleared or joined.
//
// Out of memory on the capture thread stops the capture: what was captured stays, no further
// buffer is queued, and the next Stop or Save goes on as usual.
namespace sonavel {

class CaptureEngine {
 public:
  // The pause before every device reset; the UI's blocking sleep.
  using Pause = std::function<void(std::uint32_t milliseconds)>;
  static constexpr std::uint32_t kResetPauseMs = 10;
  // How long the UI thread waits for a reset device to hand its buffers back before it gives
  // the device up as hung.
  static constexpr std::chrono::seconds kReturnTimeout{5};

  CaptureEngine(WaveInput& input, Pause pause);
  virtual ~CaptureEngine();
  CaptureEngine(const CaptureEngine&) = delete;
  CaptureEngine& operator=(const CaptureEngine&) = delete;

  // Gives captureWave the PCM format of the record, releasing the frames it held.
  void SetCaptureFormat(const WAVEFORMATEX& format);
  void SetDevice(const InputDevice& device) { device_ = device; }

  // Closes any open device, then opens the device in captureWave's format.
  bool Open();
  // Resets the device, discards the previous recording's blocks and buffers, queues two fresh
  // buffers of bufferBytes and starts input.
  bool StartCapture(std::uint32_t bufferBytes);
  // Stops input: buffers coming back are no longer queued again. True with no open device.
  bool Reset();
  // Resets and closes the device once every buffer it handed back has become a block.
  bool Close();

  // Frames in all blocks.
  std::uint64_t TotalFrames() const;
  // Joins the blocks into captureWave and answers a copy of it; the frames of an earlier join
  // are released first. Blocks of a format other than
  // captureWave's (left by a Start that changed the format and then could not open the device)
  // are left out: their frames would be noise in this format.
  CWave AssembleRecording();

  bool IsOpen() const { return handle_ != nullptr; }
  bool Stopping() const;
  // Whether the capture thread stopped capturing because memory ran out.
  bool StoppedForLackOfMemory() const;
  const CWave& CaptureWave() const { return captureWave_; }
  std::size_t BlockCount() const;

 private:
  struct ReturnedBuffer {
    HWAVEIN device = nullptr;
    WAVEHDR* header = nullptr;
  };
  // What the device may still touch after the engine is gone: the buffer headers, their storage
  // and the mailbox the callback posts to. dwUser of each header points here.
  struct DeviceExchange {
    // Guards mailbox and quit: the device's thread posts, the capture thread takes.
    std::mutex mailboxMutex;
    std::condition_variable mailboxSignal;
    std::deque<ReturnedBuffer> mailbox;
    bool quit = false;
    // Guarded by the engine's stateMutex_.
    std::array<WAVEHDR, 2> headers{};
    std::array<SampleStorage, 2> buffers;
  };

  static void WaveInCallback(HWAVEIN device, std::uint32_t message, std::uintptr_t instance,
                             std::uintptr_t firstParameter, std::uintptr_t secondParameter);
  void CaptureThreadMain();
  void ProcessReturnedBuffer(HWAVEIN device, WAVEHDR& header);
  // These three run with stateMutex_ held.
  bool QueueNextBuffer(HWAVEIN device);
  void AppendBlock(const WAVEHDR& header);
  void ReleaseBuffer(std::size_t index);
  void ClearBlocks();
  void FreeBuffers();
  bool WaitForReturnedBuffers();
  // Whether a block's frames belong in a recording of this frame size.
  static bool JoinsInto(const SampleBuffer& block, std::uint16_t frameBytes);
  // Copies the frames of every such block, in order, to storage. Runs with stateMutex_ held
  // by the calling thread.
  void JoinBlocks(std::byte* storage, std::uint16_t frameBytes) const;

  WaveInput& input_;
  Pause pause_;
  // UI thread only.
  HWAVEIN handle_ = nullptr;
  CWave captureWave_;
  InputDevice device_;

  // Guards what the UI thread and the capture thread share: stopping_, blocks_, the exchange's
  // headers and buffers, currentHeader_, bufferBytes_, blockAlign_, buffersOut_ and
  // lackOfMemory_. The capture thread holds it for the whole of one returned buffer.
  mutable std::mutex stateMutex_;
  std::condition_variable settled_;  // buffersOut_ went down
  bool stopping_ = true;
  CapturedBlockList blocks_;
  std::int32_t currentHeader_ = 1;
  std::uint32_t bufferBytes_ = 0;
  // The frame size of the format the device was opened with: returned bytes are cut to it.
  std::uint16_t blockAlign_ = 0;
  // Buffers added to the device and not yet through the steps for a returned buffer.
  int buffersOut_ = 0;
  bool lackOfMemory_ = false;

  std::unique_ptr<DeviceExchange> exchange_ = std::make_unique<DeviceExchange>();
  std::thread captureThread_;
};

}  // namespace sonavel
