#include "platform/alsa/AlsaCaptureDevice.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>
#include <utility>

namespace sonavel::alsa {
namespace {

using namespace std::chrono_literals;

// How long Reset and Close wait for the capture thread before calling the device hung: many
// periods, and a hung device costs the user one short wait instead of a frozen program.
constexpr auto kStopBound = 2s;

// A device that fails this many reads in a row, each recovered, is treated as gone: recovering
// forever would spin the capture thread without ever delivering a frame.
constexpr int kFailuresBeforeLost = 8;

void MarkDone(WAVEHDR* header) {
  header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
}

}  // namespace

AlsaCaptureDevice::AlsaCaptureDevice(Setup setup)
    : periodFrames_(setup.periodFrames),
      blockAlign_(setup.blockAlign),
      handle_(setup.handle),
      callback_(setup.callback),
      instance_(setup.instance),
      pcm_(std::move(setup.pcm)) {}

void AlsaCaptureDevice::AnnounceOpen() const {
  CallBack(WIM_OPEN, 0);
}

void AlsaCaptureDevice::CallBack(std::uint32_t message, std::uintptr_t firstParameter) const {
  if (callback_ != nullptr) {
    callback_(handle_, message, instance_, firstParameter, 0);
  }
}

MMRESULT AlsaCaptureDevice::PrepareHeader(WAVEHDR* header) {
  if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0) {
    return MMSYSERR_INVALPARAM;
  }
  std::lock_guard lock(mutex_);
  if (closed_) {
    return MMSYSERR_INVALHANDLE;
  }
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT AlsaCaptureDevice::UnprepareHeader(WAVEHDR* header) {
  if (header == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  std::lock_guard lock(mutex_);
  if (closed_) {
    return MMSYSERR_INVALHANDLE;
  }
  if ((header->dwFlags & WHDR_INQUEUE) != 0) {
    return WAVERR_STILLPLAYING;
  }
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT AlsaCaptureDevice::AddBuffer(WAVEHDR* header) {
  if (header == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  std::lock_guard lock(mutex_);
  if (closed_) {
    return MMSYSERR_INVALHANDLE;
  }
  if ((header->dwFlags & WHDR_PREPARED) == 0) {
    return WAVERR_UNPREPARED;
  }
  if ((header->dwFlags & WHDR_INQUEUE) != 0) {
    return WAVERR_STILLPLAYING;
  }
  // A buffer shorter than one frame could never fill and would stall the queue behind it.
  if (header->dwBufferLength < blockAlign_) {
    return MMSYSERR_INVALPARAM;
  }
  if (lost_) {
    return MMSYSERR_ERROR;
  }
  header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
  header->dwBytesRecorded = 0;
  queue_.push_back(header);
  return MMSYSERR_NOERROR;
}

MMRESULT AlsaCaptureDevice::Start() {
  std::lock_guard control(controlMutex_);
  {
    std::lock_guard lock(mutex_);
    if (closed_) {
      return MMSYSERR_INVALHANDLE;
    }
    if (lost_) {
      return MMSYSERR_ERROR;
    }
    if (capturing_) {
      return MMSYSERR_NOERROR;
    }
    stopRequested_ = false;
    capturing_ = true;
  }
  try {
    captureThread_ = std::thread(&AlsaCaptureDevice::CaptureLoop, shared_from_this());
  } catch (const std::system_error&) {
    std::lock_guard lock(mutex_);
    capturing_ = false;
    return MMSYSERR_NOMEM;
  }
  return MMSYSERR_NOERROR;
}

bool AlsaCaptureDevice::StopCapture() {
  std::unique_lock lock(mutex_);
  stopRequested_ = true;
  if (!captureThread_.joinable()) {
    return true;
  }
  if (!captureEnded_.wait_for(lock, kStopBound, [this] { return !capturing_; })) {
    // The thread is stuck in a read. It keeps the device alive and ends on its own if the read
    // ever returns; the lost flag keeps it from touching any buffer after this.
    lost_ = true;
    captureThread_.detach();
    return false;
  }
  lock.unlock();
  captureThread_.join();
  return true;
}

MMRESULT AlsaCaptureDevice::Reset() {
  std::deque<WAVEHDR*> handedBack;
  bool stoppedInTime = false;
  {
    std::lock_guard control(controlMutex_);
    {
      std::lock_guard lock(mutex_);
      if (closed_) {
        return MMSYSERR_INVALHANDLE;
      }
    }
    stoppedInTime = StopCapture();
    std::lock_guard lock(mutex_);
    for (WAVEHDR* header : queue_) {
      MarkDone(header);
    }
    handedBack.swap(queue_);
  }
  for (WAVEHDR* header : handedBack) {
    CallBack(WIM_DATA, reinterpret_cast<std::uintptr_t>(header));
  }
  return stoppedInTime ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
}

MMRESULT AlsaCaptureDevice::Close() {
  {
    std::lock_guard control(controlMutex_);
    {
      std::lock_guard lock(mutex_);
      if (closed_) {
        return MMSYSERR_INVALHANDLE;
      }
      if (!queue_.empty()) {
        return WAVERR_STILLPLAYING;
      }
      closed_ = true;
    }
    StopCapture();
  }
  CallBack(WIM_CLOSE, 0);
  return MMSYSERR_NOERROR;
}

void AlsaCaptureDevice::Abandon() {
  std::lock_guard control(controlMutex_);
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  StopCapture();
}

CaptureStatus AlsaCaptureDevice::Status() const {
  std::lock_guard lock(mutex_);
  return {.overruns = overruns_,
          .droppedFrames = droppedFrames_,
          .capturing = capturing_,
          .lost = lost_};
}

bool AlsaCaptureDevice::StopRequested() const {
  std::lock_guard lock(mutex_);
  return stopRequested_;
}

void AlsaCaptureDevice::CaptureLoop() {
  std::vector<unsigned char> period(periodFrames_ * blockAlign_);
  snd_pcm_t* pcm = pcm_.get();
  int failuresInARow = 0;
  // After an earlier stop the PCM was dropped; prepared again, the first read starts it.
  bool lost = snd_pcm_prepare(pcm) < 0;
  while (!lost && !StopRequested()) {
    const snd_pcm_sframes_t got = snd_pcm_readi(pcm, period.data(), periodFrames_);
    if (got < 0) {
      lost = !Recover(static_cast<int>(got), failuresInARow);
      continue;
    }
    failuresInARow = 0;
    Deliver(period.data(), static_cast<snd_pcm_uframes_t>(got));
  }
  if (!lost) {
    ReadWhatIsWaiting(period);
    snd_pcm_drop(pcm);
  }
  std::lock_guard lock(mutex_);
  lost_ = lost_ || lost;
  capturing_ = false;
  captureEnded_.notify_all();
}

void AlsaCaptureDevice::ReadWhatIsWaiting(std::vector<unsigned char>& period) {
  snd_pcm_sframes_t waiting = snd_pcm_avail(pcm_.get());
  while (waiting > 0) {
    const auto wanted = std::min(static_cast<snd_pcm_uframes_t>(waiting), periodFrames_);
    const snd_pcm_sframes_t got = snd_pcm_readi(pcm_.get(), period.data(), wanted);
    if (got <= 0) {
      return;
    }
    Deliver(period.data(), static_cast<snd_pcm_uframes_t>(got));
    waiting -= got;
  }
}

void AlsaCaptureDevice::Deliver(const unsigned char* data, snd_pcm_uframes_t frames) {
  filled_.clear();
  {
    std::lock_guard lock(mutex_);
    if (lost_) {
      return;
    }
    const std::size_t bytes = frames * blockAlign_;
    std::size_t offset = 0;
    while (offset < bytes && !queue_.empty()) {
      WAVEHDR* header = queue_.front();
      const std::uint32_t usable = header->dwBufferLength - header->dwBufferLength % blockAlign_;
      const auto count = static_cast<std::uint32_t>(
          std::min<std::size_t>(usable - header->dwBytesRecorded, bytes - offset));
      std::memcpy(header->lpData + header->dwBytesRecorded, data + offset, count);
      header->dwBytesRecorded += count;
      offset += count;
      if (header->dwBytesRecorded == usable) {
        MarkDone(header);
        queue_.pop_front();
        filled_.push_back(header);
      }
    }
    droppedFrames_ += (bytes - offset) / blockAlign_;
  }
  for (WAVEHDR* header : filled_) {
    CallBack(WIM_DATA, reinterpret_cast<std::uintptr_t>(header));
  }
}

bool AlsaCaptureDevice::Recover(int error, int& failuresInARow) {
  if (++failuresInARow > kFailuresBeforeLost || snd_pcm_recover(pcm_.get(), error, 1) < 0) {
    return false;
  }
  if (error == -EPIPE) {
    std::lock_guard lock(mutex_);
    ++overruns_;
  }
  return true;
}

}  // namespace sonavel::alsa
