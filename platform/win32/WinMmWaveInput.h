#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "recorder/WaveInput.h"

// Wave input on Windows: a thin layer over winmm's waveIn functions.
//
// How it works: every call goes straight to the system with the device the wave mapper picks.
// The system has headers of its own layout for each of the recorder's; the recorder's fields
// are copied in before and out after every call. The device is opened with a function
// callback that only copies the returned header's state back and calls the recorder's
// callback, which posts the buffer to the recorder's capture thread: no wave function is ever
// called from inside the callback (on Windows that deadlocks).
//
// Threads: the system's callback thread touches a returned header's copy-back only; opening and
// closing devices is guarded by the registry's lock.
namespace sonavel::win32 {

class WinMmWaveInput final : public WaveInput {
 public:
  WinMmWaveInput();
  ~WinMmWaveInput() override;
  WinMmWaveInput(const WinMmWaveInput&) = delete;
  WinMmWaveInput& operator=(const WinMmWaveInput&) = delete;

  MMRESULT QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) override;
  MMRESULT Open(HWAVEIN* device, std::uint32_t deviceId, const WAVEFORMATEX& format,
                WaveInProc callback, std::uintptr_t instance) override;
  MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT Start(HWAVEIN device) override;
  MMRESULT Reset(HWAVEIN device) override;
  MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT Close(HWAVEIN device) override;

  struct OpenDevice;

 private:
  OpenDevice* Find(HWAVEIN device) const;

  // Guards the registry: the UI thread opens and closes while the capture thread queues.
  mutable std::mutex mutex_;
  std::map<HWAVEIN, std::unique_ptr<OpenDevice>> devices_;
};

}  // namespace sonavel::win32
