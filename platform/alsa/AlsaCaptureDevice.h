#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/alsa/AlsaPcm.h"
#include "platform/alsa/CaptureStatus.h"
#include "recorder/WaveInput.h"

namespace sonavel::alsa {

// One open capture PCM, its queue of buffers and its capture thread. AlsaWaveInput owns it
// through a shared pointer; the running capture thread holds another, so a thread left behind
// in a hung read keeps its device (and PCM) alive until the read returns, then frees both.
class AlsaCaptureDevice final : public std::enable_shared_from_this<AlsaCaptureDevice> {
 public:
  struct Setup {
    PcmHandle pcm;
    snd_pcm_uframes_t periodFrames = 0;
    std::uint16_t blockAlign = 0;
    HWAVEIN handle = nullptr;
    WaveInProc callback = nullptr;
    std::uintptr_t instance = 0;
  };

  explicit AlsaCaptureDevice(Setup setup);
  AlsaCaptureDevice(const AlsaCaptureDevice&) = delete;
  AlsaCaptureDevice& operator=(const AlsaCaptureDevice&) = delete;

  // Sends WIM_OPEN; called once, by the opener, with no lock held.
  void AnnounceOpen() const;

  MMRESULT PrepareHeader(WAVEHDR* header);
  MMRESULT UnprepareHeader(WAVEHDR* header);
  MMRESULT AddBuffer(WAVEHDR* header);
  // Starting a running device does nothing and succeeds, as the system does.
  MMRESULT Start();
  // Stops capture and hands back every queued buffer, on the calling thread. A capture thread
  // that does not stop within the bound marks the device lost and answers MMSYSERR_ERROR; the
  // buffers still come back.
  MMRESULT Reset();
  // Refuses while buffers are queued; otherwise stops capture, sends WIM_CLOSE and refuses every
  // later call. A hung capture thread is left to end on its own.
  MMRESULT Close();
  // Stops capture for a device dropped without Close; queued buffers are not handed back.
  void Abandon();

  CaptureStatus Status() const;

 private:
  void CallBack(std::uint32_t message, std::uintptr_t firstParameter) const;
  // Both run with controlMutex_ held. StopCapture answers whether the thread stopped in time.
  bool StopCapture();
  void CaptureLoop();
  bool StopRequested() const;
  // Reads what the device holds at the moment of a stop, so nothing captured before it is lost.
  void ReadWhatIsWaiting(std::vector<unsigned char>& period);
  // Copies frames into the queued buffers in order and hands back each one that fills up.
  void Deliver(const unsigned char* data, snd_pcm_uframes_t frames);
  bool Recover(int error, int& failuresInARow);

  // Read by every thread, written only by the constructor.
  const snd_pcm_uframes_t periodFrames_;
  const std::uint16_t blockAlign_;
  const HWAVEIN handle_;
  const WaveInProc callback_;
  const std::uintptr_t instance_;

  // Used by the capture thread while it runs and by the destructor, which runs once no thread
  // refers to the device any more: never by two threads at once, so it needs no guard.
  PcmHandle pcm_;

  // Serialises Start, Reset, Close and Abandon, which start and stop the capture thread. It is
  // never taken by the capture thread and never held while a callback runs.
  std::mutex controlMutex_;
  std::thread captureThread_;  // guarded by controlMutex_

  // Guards the fields below: the capture thread fills and hands back buffers while the engine's
  // threads queue and unprepare others, reset, close and read the status.
  mutable std::mutex mutex_;
  std::condition_variable captureEnded_;
  std::deque<WAVEHDR*> queue_;  // also guards the flags and contents of the headers in it
  bool stopRequested_ = false;
  bool capturing_ = false;
  bool lost_ = false;
  bool closed_ = false;
  std::uint64_t overruns_ = 0;
  std::uint64_t droppedFrames_ = 0;

  // Touched only by the capture thread: the buffers one Deliver hands back after unlocking.
  std::vector<WAVEHDR*> filled_;
};

}  // namespace sonavel::alsa
