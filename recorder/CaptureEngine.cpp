#include "recorder/CaptureEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

namespace sonavel {
namespace {

// A device that refused to reset and close may still write into the buffers it holds and post
// them to the mailbox; they are handed over to it for the rest of the process.
template <typename Exchange>
void AbandonToDevice(std::unique_ptr<Exchange> exchange) {
  static std::mutex mutex;
  static std::vector<std::unique_ptr<Exchange>> abandoned;
  std::fputs("Sonavel: the wave-input device kept its buffers after refusing to close\n", stderr);
  const std::scoped_lock lock(mutex);
  abandoned.push_back(std::move(exchange));
}

}  // namespace

CaptureEngine::CaptureEngine(WaveInput& input, Pause pause)
    : input_(input), pause_(std::move(pause)) {
  captureThread_ = std::thread(&CaptureEngine::CaptureThreadMain, this);
}

CaptureEngine::~CaptureEngine() {
  Close();
  bool buffersStillOut = false;
  {
    const std::scoped_lock lock(stateMutex_);
    ClearBlocks();
    buffersStillOut = buffersOut_ > 0;
    if (!buffersStillOut)
      FreeBuffers();
  }
  {
    const std::scoped_lock lock(exchange_->mailboxMutex);
    exchange_->quit = true;
  }
  exchange_->mailboxSignal.notify_one();
  captureThread_.join();
  if (buffersStillOut)
    AbandonToDevice(std::move(exchange_));
}

void CaptureEngine::SetCaptureFormat(const WAVEFORMATEX& format) {
  captureWave_.SetPcmFormat(format.nChannels, format.nSamplesPerSec, format.wBitsPerSample);
}

bool CaptureEngine::Open() {
  // A device that cannot be closed keeps its handle: opening another over it would lose the
  // first one while it may still be handing buffers back.
  if (!Close())
    return false;
  const WAVEFORMATEX format = captureWave_.Format();
  {
    const std::scoped_lock lock(stateMutex_);
    blockAlign_ = format.nBlockAlign;
  }
  HWAVEIN device = nullptr;
  if (input_.Open(&device, device_.DeviceId(), format, &WaveInCallback, 0) != MMSYSERR_NOERROR)
    return false;
  handle_ = device;
  return true;
}

bool CaptureEngine::StartCapture(std::uint32_t bufferBytes) {
  if (!Reset() || !WaitForReturnedBuffers())
    return false;
  {
    const std::scoped_lock lock(stateMutex_);
    stopping_ = false;
    ClearBlocks();
    FreeBuffers();
  }
  SetCaptureFormat(captureWave_.Format());
  {
    const std::scoped_lock lock(stateMutex_);
    currentHeader_ = 1;
    bufferBytes_ = bufferBytes;
    for (int queued = 0; queued < 2; ++queued) {
      if (!QueueNextBuffer(handle_))
        return false;
    }
  }
  return input_.Start(handle_) == MMSYSERR_NOERROR;
}

bool CaptureEngine::Reset() {
  if (handle_ == nullptr)
    return true;
  {
    const std::scoped_lock lock(stateMutex_);
    stopping_ = true;
  }
  pause_(kResetPauseMs);
  return input_.Reset(handle_) == MMSYSERR_NOERROR;
}

bool CaptureEngine::Close() {
  if (handle_ == nullptr)
    return true;
  if (!Reset() || !WaitForReturnedBuffers())
    return false;
  if (input_.Close(handle_) != MMSYSERR_NOERROR)
    return false;
  handle_ = nullptr;
  return true;
}

std::uint64_t CaptureEngine::TotalFrames() const {
  const std::scoped_lock lock(stateMutex_);
  std::uint64_t frames = 0;
  for (const SampleBuffer& block : blocks_)
    frames += block.Count();
  return frames;
}

CWave CaptureEngine::AssembleRecording() {
  const std::scoped_lock lock(stateMutex_);
  const std::uint16_t frameBytes = captureWave_.Format().nBlockAlign;
  std::uint64_t frames = 0;
  for (const SampleBuffer& block : blocks_) {
    if (JoinsInto(block, frameBytes))
      frames += block.Count();
  }
  // A recording's frame count is a 32-bit value; more is more than this process can hold.
  if (frames > std::numeric_limits<std::uint32_t>::max())
    throw std::bad_alloc();
  // The frames of an earlier join go first: they are these blocks again, and keeping them
  // would hold one more copy of the recording at the peak. Both new stores are obtained before
  // anything is copied, so running out of memory loses nothing the blocks do not still hold.
  captureWave_.SetData(nullptr, 0);
  SampleStorage joined = ObtainSampleStorage(frames * frameBytes);
  SampleStorage copy = ObtainSampleStorage(frames * frameBytes);
  // The copy answered is joined from the blocks too, on a second thread while this one joins
  // captureWave's: the same bytes in about half the time on two cores. The capture thread
  // cannot touch the blocks meanwhile: this thread holds the state lock.
  std::thread second;
  try {
    second = std::thread([&] { JoinBlocks(copy.get(), frameBytes); });
  } catch (const std::system_error&) {
    JoinBlocks(copy.get(), frameBytes);
  }
  JoinBlocks(joined.get(), frameBytes);
  if (second.joinable())
    second.join();
  captureWave_.SetData(std::move(joined), static_cast<std::uint32_t>(frames));
  CWave answer(captureWave_.Format());
  answer.SetData(std::move(copy), static_cast<std::uint32_t>(frames));
  return answer;
}

bool CaptureEngine::JoinsInto(const SampleBuffer& block, std::uint16_t frameBytes) {
  return frameBytes != 0 && block.ElementSize() == frameBytes;
}

void CaptureEngine::JoinBlocks(std::byte* storage, std::uint16_t frameBytes) const {
  std::uint64_t offset = 0;
  for (const SampleBuffer& block : blocks_) {
    if (!JoinsInto(block, frameBytes) || block.Count() == 0)
      continue;
    std::memcpy(storage + offset, block.Data(), static_cast<std::size_t>(block.Bytes()));
    offset += block.Bytes();
  }
}

bool CaptureEngine::Stopping() const {
  const std::scoped_lock lock(stateMutex_);
  return stopping_;
}

bool CaptureEngine::StoppedForLackOfMemory() const {
  const std::scoped_lock lock(stateMutex_);
  return lackOfMemory_;
}

std::size_t CaptureEngine::BlockCount() const {
  const std::scoped_lock lock(stateMutex_);
  return blocks_.Size();
}

void CaptureEngine::WaveInCallback(HWAVEIN device, std::uint32_t message, std::uintptr_t,
                                   std::uintptr_t firstParameter, std::uintptr_t) {
  if (message != WIM_DATA)
    return;
  auto* header = reinterpret_cast<WAVEHDR*>(firstParameter);
  if (header == nullptr || device == nullptr)
    return;
  auto* exchange = reinterpret_cast<DeviceExchange*>(header->dwUser);
  if (exchange == nullptr)
    return;
  // Signalled under the lock: once the capture thread has taken this buffer the engine may be
  // destroyed, and its destructor takes this lock before the exchange goes.
  const std::scoped_lock lock(exchange->mailboxMutex);
  exchange->mailbox.push_back({device, header});
  exchange->mailboxSignal.notify_one();
}

void CaptureEngine::CaptureThreadMain() {
  for (;;) {
    ReturnedBuffer returned;
    {
      std::unique_lock lock(exchange_->mailboxMutex);
      exchange_->mailboxSignal.wait(
          lock, [this] { return exchange_->quit || !exchange_->mailbox.empty(); });
      if (exchange_->mailbox.empty())
        return;
      returned = exchange_->mailbox.front();
      exchange_->mailbox.pop_front();
    }
    ProcessReturnedBuffer(returned.device, *returned.header);
  }
}

void CaptureEngine::ProcessReturnedBuffer(HWAVEIN device, WAVEHDR& header) {
  const std::scoped_lock lock(stateMutex_);
  const auto index = static_cast<std::size_t>(&header - exchange_->headers.data());
  const bool unprepared = [&] {
    if ((header.dwFlags & WHDR_DONE) == 0)
      return true;
    header.dwFlags = 0;
    // A buffer the device will not let go of is left alone: its sound is lost and it is not
    // queued again.
    if (input_.UnprepareHeader(device, &header) != MMSYSERR_NOERROR)
      return false;
    try {
      if (header.dwBytesRecorded > 0)
        AppendBlock(header);
    } catch (const std::bad_alloc&) {
      lackOfMemory_ = true;
      stopping_ = true;
    }
    ReleaseBuffer(index);
    return true;
  }();
  if (unprepared && !stopping_) {
    try {
      QueueNextBuffer(device);
    } catch (const std::bad_alloc&) {
      lackOfMemory_ = true;
      stopping_ = true;
    }
  }
  --buffersOut_;
  settled_.notify_all();
}

bool CaptureEngine::QueueNextBuffer(HWAVEIN device) {
  currentHeader_ = currentHeader_ == 1 ? 0 : currentHeader_ + 1;
  const auto index = static_cast<std::size_t>(currentHeader_);
  WAVEHDR& header = exchange_->headers[index];
  SampleStorage& buffer = exchange_->buffers[index];
  if (header.lpData == nullptr) {
    buffer = ObtainSampleStorage(bufferBytes_);
    header.lpData = reinterpret_cast<char*>(buffer.get());
  }
  std::memset(header.lpData, 0, bufferBytes_);
  header.dwBufferLength = bufferBytes_;
  header.dwFlags = 0;
  header.dwUser = reinterpret_cast<std::uintptr_t>(exchange_.get());
  if (input_.PrepareHeader(device, &header) != MMSYSERR_NOERROR)
    return false;
  if (input_.AddBuffer(device, &header) != MMSYSERR_NOERROR)
    return false;
  ++buffersOut_;
  return true;
}

void CaptureEngine::AppendBlock(const WAVEHDR& header) {
  SampleBuffer& block = blocks_.Append();
  if (blockAlign_ == 0)
    return;
  // Whole frames only; a partial frame at the end is dropped. Never more than the buffer holds.
  const std::uint32_t recorded = std::min(header.dwBytesRecorded, header.dwBufferLength);
  block.CopyFrom(reinterpret_cast<const std::byte*>(header.lpData), recorded / blockAlign_,
                 blockAlign_);
}

void CaptureEngine::ReleaseBuffer(std::size_t index) {
  exchange_->buffers[index].reset();
  exchange_->headers[index].lpData = nullptr;
}

void CaptureEngine::ClearBlocks() {
  blocks_.Clear();
}

void CaptureEngine::FreeBuffers() {
  ReleaseBuffer(0);
  ReleaseBuffer(1);
}

bool CaptureEngine::WaitForReturnedBuffers() {
  std::unique_lock lock(stateMutex_);
  return settled_.wait_for(lock, kReturnTimeout, [this] { return buffersOut_ == 0; });
}

}  // namespace sonavel
