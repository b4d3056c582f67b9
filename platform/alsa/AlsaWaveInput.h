#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/alsa/CaptureStatus.h"
#include "recorder/WaveInput.h"

// Wave input on ALSA.
//
// How it works: Open opens the capture PCM (ALSA's "default", or the name given to the
// constructor) in the exact format and periods of about 32 ms, and registers an
// AlsaCaptureDevice under a new handle. Start gives the device a capture thread of its own that
// owns the PCM while it runs: it reads one period at a time (a blocking read), copies the frames
// into the queued buffers in the order they were added, and hands each buffer that fills up back
// through the callback (WIM_DATA) after releasing the device's lock. Frames that arrive while no
// buffer is queued are dropped and counted, as the system does.
//
// Stopping: a read blocked in ALSA cannot be woken from outside (through PulseAudio not even by
// snd_pcm_drop), so the capture thread looks at a stop flag between periods. Reset and Close
// set the flag and wait for the thread to end, at most two seconds; then the thread reads what
// the device already holds, drops the rest and ends. Reset hands every queued buffer back
// (a partly filled one with the bytes it holds) through the callback on the calling thread,
// after the capture thread's own hand-backs, so buffers always come back in queue order.
//
// Failures: an overrun is recovered (snd_pcm_recover) and counted. A device that cannot recover
// (its sound server died) ends the capture thread and is marked lost: AddBuffer and Start then
// answer MMSYSERR_ERROR, while Reset, UnprepareHeader and Close still work so the engine gets its
// buffers back. A capture thread that does not stop within the bound (a hung device) is left
// behind holding its own reference to the device; Reset answers MMSYSERR_ERROR, still hands the
// buffers back, and the device is lost.
//
// Threads: every call may come from any thread; the recorder's UI thread resets and closes while
// its capture thread unprepares and adds other buffers. WIM_OPEN and WIM_CLOSE are sent on the
// thread calling Open and Close, WIM_DATA on the device's capture thread or, for buffers handed
// back by Reset, on the thread calling Reset. No lock of the back-end is held during a callback.
namespace sonavel::alsa {

class AlsaCaptureDevice;

class AlsaWaveInput final : public WaveInput {
 public:
  explicit AlsaWaveInput(std::string pcmName = "default");
  // Stops the capture of devices still open; their queued buffers are not handed back.
  ~AlsaWaveInput() override;
  AlsaWaveInput(const AlsaWaveInput&) = delete;
  AlsaWaveInput& operator=(const AlsaWaveInput&) = delete;

  // Device 0 and WAVE_MAPPER are the PCM; any other id is MMSYSERR_BADDEVICEID.
  MMRESULT QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) override;
  MMRESULT Open(HWAVEIN* device, std::uint32_t deviceId, const WAVEFORMATEX& format,
                WaveInProc callback, std::uintptr_t instance) override;
  MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT Start(HWAVEIN device) override;
  MMRESULT Reset(HWAVEIN device) override;
  MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header) override;
  MMRESULT Close(HWAVEIN device) override;

  // Counters and state of an open device; nothing for a handle that is not open.
  std::optional<CaptureStatus> Status(HWAVEIN device) const;

 private:
  std::shared_ptr<AlsaCaptureDevice> Find(HWAVEIN device) const;

  const std::string pcmName_;

  // Guards the registry: any thread may open, close or call a device while another does.
  // Devices are shared so a call in progress keeps its device alive while Close unregisters it.
  mutable std::mutex devicesMutex_;
  std::map<HWAVEIN, std::shared_ptr<AlsaCaptureDevice>> devices_;
  std::uintptr_t lastHandle_ = 0;
};

}  // namespace sonavel::alsa
