#include "platform/headless/SimulatedWaveInput.h"

#include <algorithm>
#include <chrono>

namespace sonavel::headless {

struct SimulatedWaveInput::Device {
  WAVEFORMATEX format;
  WaveInProc callback = nullptr;
  std::uintptr_t instance = 0;
  std::deque<WAVEHDR*> queue;
  bool open = true;
  bool started = false;

  HWAVEIN Handle() { return reinterpret_cast<HWAVEIN>(this); }
};

namespace {

constexpr auto kWaitBound = std::chrono::seconds(5);

bool IsPlainPcm(const WAVEFORMATEX& format) {
  const bool shape =
      format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
      (format.wBitsPerSample == 8 || format.wBitsPerSample == 16) && format.nSamplesPerSec > 0;
  const std::uint32_t frameBytes = std::uint32_t{format.nChannels} * format.wBitsPerSample / 8;
  return shape && format.nBlockAlign == frameBytes &&
         format.nAvgBytesPerSec == frameBytes * format.nSamplesPerSec;
}

}  // namespace

SimulatedWaveInput::SimulatedWaveInput()
    : deliveryThread_(&SimulatedWaveInput::DeliveryThreadMain, this) {}

SimulatedWaveInput::~SimulatedWaveInput() {
  {
    const std::scoped_lock lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  deliveryThread_.join();
}

void SimulatedWaveInput::FailCall(Call call, MMRESULT result, int skip, int times) {
  const std::scoped_lock lock(mutex_);
  faults_.push_back({call, result, skip, times});
}

void SimulatedWaveInput::ScriptBytesRecorded(std::vector<std::uint32_t> counts) {
  const std::scoped_lock lock(mutex_);
  scriptedBytes_.assign(counts.begin(), counts.end());
}

void SimulatedWaveInput::SetBytesHeldAtReset(std::uint32_t bytes) {
  const std::scoped_lock lock(mutex_);
  bytesHeldAtReset_ = bytes;
}

int SimulatedWaveInput::Fill(int buffers) {
  const std::scoped_lock lock(mutex_);
  Device* device = Current();
  if (device == nullptr || !device->started)
    return 0;
  int filled = 0;
  for (; filled < buffers && !device->queue.empty(); ++filled) {
    WAVEHDR& header = *device->queue.front();
    std::uint32_t bytes = header.dwBufferLength;
    if (!scriptedBytes_.empty()) {
      bytes = std::min(scriptedBytes_.front(), header.dwBufferLength);
      scriptedBytes_.pop_front();
    }
    HandBack(*device, header, bytes);
  }
  return filled;
}

bool SimulatedWaveInput::WaitForQueued(int count) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kWaitBound, [&] {
    const Device* device = Current();
    return device != nullptr && static_cast<int>(device->queue.size()) == count;
  });
}

void SimulatedWaveInput::WaitForDeliveries() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return deliveries_.empty() && !delivering_; });
}

std::vector<SimulatedWaveInput::Call> SimulatedWaveInput::Calls() const {
  const std::scoped_lock lock(mutex_);
  return calls_;
}

std::vector<const WAVEHDR*> SimulatedWaveInput::AddedHeaders() const {
  const std::scoped_lock lock(mutex_);
  return added_;
}

int SimulatedWaveInput::Queued() const {
  const std::scoped_lock lock(mutex_);
  const Device* device = Current();
  return device != nullptr ? static_cast<int>(device->queue.size()) : 0;
}

bool SimulatedWaveInput::IsOpen() const {
  const std::scoped_lock lock(mutex_);
  return Current() != nullptr;
}

bool SimulatedWaveInput::IsStarted() const {
  const std::scoped_lock lock(mutex_);
  const Device* device = Current();
  return device != nullptr && device->started;
}

WAVEFORMATEX SimulatedWaveInput::OpenedFormat() const {
  const std::scoped_lock lock(mutex_);
  return devices_.empty() ? WAVEFORMATEX{} : devices_.back()->format;
}

std::uint64_t SimulatedWaveInput::NextFrame() const {
  const std::scoped_lock lock(mutex_);
  return nextFrame_;
}

std::vector<std::uint32_t> SimulatedWaveInput::Messages() const {
  const std::scoped_lock lock(mutex_);
  return messages_;
}

MMRESULT SimulatedWaveInput::QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kQueryFormat, result))
    return result;
  if (deviceId != WAVE_MAPPER && deviceId != 0)
    return MMSYSERR_BADDEVICEID;
  return IsPlainPcm(format) ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}

MMRESULT SimulatedWaveInput::Open(HWAVEIN* handle, std::uint32_t deviceId,
                                  const WAVEFORMATEX& format, WaveInProc callback,
                                  std::uintptr_t instance) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kOpen, result))
    return result;
  if (deviceId != WAVE_MAPPER && deviceId != 0)
    return MMSYSERR_BADDEVICEID;
  if (!IsPlainPcm(format))
    return WAVERR_BADFORMAT;
  // One capture device: a second opener finds it taken, as on a single sound card.
  if (Current() != nullptr)
    return MMSYSERR_ALLOCATED;
  auto device = std::make_unique<Device>();
  device->format = format;
  device->callback = callback;
  device->instance = instance;
  *handle = device->Handle();
  Post(*device, WIM_OPEN, nullptr);
  devices_.push_back(std::move(device));
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedWaveInput::PrepareHeader(HWAVEIN handle, WAVEHDR* header) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kPrepareHeader, result))
    return result;
  if (Find(handle) == nullptr)
    return MMSYSERR_INVALHANDLE;
  if (header == nullptr || header->lpData == nullptr)
    return MMSYSERR_INVALPARAM;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedWaveInput::AddBuffer(HWAVEIN handle, WAVEHDR* header) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kAddBuffer, result))
    return result;
  Device* device = Find(handle);
  if (device == nullptr)
    return MMSYSERR_INVALHANDLE;
  if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0)
    return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & WHDR_PREPARED) == 0)
    return WAVERR_UNPREPARED;
  if (std::find(device->queue.begin(), device->queue.end(), header) != device->queue.end())
    return WAVERR_STILLPLAYING;
  header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
  header->dwBytesRecorded = 0;
  device->queue.push_back(header);
  added_.push_back(header);
  changed_.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedWaveInput::Start(HWAVEIN handle) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kStart, result))
    return result;
  Device* device = Find(handle);
  if (device == nullptr)
    return MMSYSERR_INVALHANDLE;
  device->started = true;
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedWaveInput::Reset(HWAVEIN handle) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kReset, result))
    return result;
  Device* device = Find(handle);
  if (device == nullptr)
    return MMSYSERR_INVALHANDLE;
  device->started = false;
  bool first = true;
  while (!device->queue.empty()) {
    HandBack(*device, *device->queue.front(),
             first ? std::min(bytesHeldAtReset_, device->queue.front()->dwBufferLength) : 0);
    first = false;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedWaveInput::UnprepareHeader(HWAVEIN handle, WAVEHDR* header) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kUnprepareHeader, result))
    return result;
  Device* device = Find(handle);
  if (device == nullptr)
    return MMSYSERR_INVALHANDLE;
  if (header == nullptr)
    return MMSYSERR_INVALPARAM;
  // Checked on the device's own queue, not on the flags a caller may have cleared.
  if (std::find(device->queue.begin(), device->queue.end(), header) != device->queue.end())
    return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT SimulatedWaveInput::Close(HWAVEIN handle) {
  const std::scoped_lock lock(mutex_);
  MMRESULT result = MMSYSERR_NOERROR;
  if (Faulted(Call::kClose, result))
    return result;
  Device* device = Find(handle);
  if (device == nullptr)
    return MMSYSERR_INVALHANDLE;
  if (!device->queue.empty())
    return WAVERR_STILLPLAYING;
  device->open = false;
  device->started = false;
  Post(*device, WIM_CLOSE, nullptr);
  return MMSYSERR_NOERROR;
}

bool SimulatedWaveInput::Faulted(Call call, MMRESULT& result) {
  calls_.push_back(call);
  for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
    if (fault->call != call)
      continue;
    if (fault->skip > 0) {
      --fault->skip;
      return false;
    }
    result = fault->result;
    if (fault->times != kAlways && --fault->times == 0)
      faults_.erase(fault);
    return true;
  }
  return false;
}

SimulatedWaveInput::Device* SimulatedWaveInput::Find(HWAVEIN handle) const {
  for (const auto& device : devices_) {
    if (device->Handle() == handle && device->open)
      return device.get();
  }
  return nullptr;
}

SimulatedWaveInput::Device* SimulatedWaveInput::Current() const {
  for (const auto& device : devices_) {
    if (device->open)
      return device.get();
  }
  return nullptr;
}

void SimulatedWaveInput::FillWithSignal(Device& device, WAVEHDR& header, std::uint32_t bytes) {
  const std::uint32_t frameBytes = device.format.nBlockAlign;
  const std::uint32_t sampleBytes = device.format.wBitsPerSample / 8;
  for (std::uint32_t offset = 0; offset < bytes; offset += frameBytes, ++nextFrame_) {
    for (std::uint32_t byte = 0; byte < frameBytes && offset + byte < bytes; ++byte) {
      const std::uint32_t shift = 8 * (byte % sampleBytes);
      header.lpData[offset + byte] = static_cast<char>((nextFrame_ >> shift) & 0xFF);
    }
  }
}

void SimulatedWaveInput::HandBack(Device& device, WAVEHDR& header, std::uint32_t bytes) {
  FillWithSignal(device, header, bytes);
  header.dwBytesRecorded = bytes;
  header.dwFlags = (header.dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
  device.queue.erase(std::find(device.queue.begin(), device.queue.end(), &header));
  Post(device, WIM_DATA, &header);
}

void SimulatedWaveInput::Post(const Device& device, std::uint32_t message, WAVEHDR* header) {
  deliveries_.push_back(
      {device.callback, const_cast<Device&>(device).Handle(), message, device.instance, header});
  changed_.notify_all();
}

void SimulatedWaveInput::DeliveryThreadMain() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return quit_ || !deliveries_.empty(); });
    if (deliveries_.empty())
      return;
    const Delivery delivery = deliveries_.front();
    deliveries_.pop_front();
    delivering_ = true;
    messages_.push_back(delivery.message);
    lock.unlock();
    if (delivery.callback != nullptr) {
      delivery.callback(delivery.handle, delivery.message, delivery.instance,
                        reinterpret_cast<std::uintptr_t>(delivery.header), 0);
    }
    lock.lock();
    delivering_ = false;
    changed_.notify_all();
  }
}

}  // namespace sonavel::headless
