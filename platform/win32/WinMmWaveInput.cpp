#include "platform/win32/WinMmWaveInput.h"

// After our own header: the system's header defines the wave constants as macros of the same
// names and values, which would break their declarations.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

namespace sonavel::win32 {

struct WinMmWaveInput::OpenDevice {
  ::HWAVEIN system = nullptr;
  WaveInProc callback = nullptr;
  std::uintptr_t instance = 0;
  // Guards headers: the UI thread queues the first buffers, the capture thread the others.
  std::mutex headersMutex;
  // The system's header for each of the recorder's. Its fields are written by the thread that
  // queues or unprepares it, and by the system's callback once it is handed back.
  std::map<WAVEHDR*, std::unique_ptr<::WAVEHDR>> headers;

  HWAVEIN Handle() { return reinterpret_cast<HWAVEIN>(this); }
};

namespace {

::WAVEFORMATEX SystemFormat(const WAVEFORMATEX& format) {
  ::WAVEFORMATEX system{};
  system.wFormatTag = format.wFormatTag;
  system.nChannels = format.nChannels;
  system.nSamplesPerSec = format.nSamplesPerSec;
  system.nAvgBytesPerSec = format.nAvgBytesPerSec;
  system.nBlockAlign = format.nBlockAlign;
  system.wBitsPerSample = format.wBitsPerSample;
  system.cbSize = format.cbSize;
  return system;
}

void CopyIn(const WAVEHDR& ours, ::WAVEHDR& system) {
  system.lpData = ours.lpData;
  system.dwBufferLength = ours.dwBufferLength;
  system.dwFlags = ours.dwFlags;
  system.dwLoops = ours.dwLoops;
  system.dwUser = reinterpret_cast<DWORD_PTR>(&ours);
}

void CopyOut(const ::WAVEHDR& system, WAVEHDR& ours) {
  ours.dwFlags = system.dwFlags;
  ours.dwBytesRecorded = system.dwBytesRecorded;
}

// Called by the system on its own thread. Only copies and passes on: no wave function here.
void CALLBACK SystemCallback(::HWAVEIN, UINT message, DWORD_PTR instance, DWORD_PTR first,
                             DWORD_PTR) {
  auto* device = reinterpret_cast<WinMmWaveInput::OpenDevice*>(instance);
  if (device == nullptr || device->callback == nullptr)
    return;
  std::uintptr_t parameter = 0;
  if (message == WIM_DATA && first != 0) {
    const auto* system = reinterpret_cast<const ::WAVEHDR*>(first);
    auto* ours = reinterpret_cast<WAVEHDR*>(system->dwUser);
    CopyOut(*system, *ours);
    parameter = reinterpret_cast<std::uintptr_t>(ours);
  }
  device->callback(device->Handle(), message, device->instance, parameter, 0);
}

}  // namespace

WinMmWaveInput::WinMmWaveInput() = default;

WinMmWaveInput::~WinMmWaveInput() {
  const std::scoped_lock lock(mutex_);
  for (auto& [handle, device] : devices_) {
    waveInReset(device->system);
    waveInClose(device->system);
  }
}

MMRESULT WinMmWaveInput::QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) {
  const ::WAVEFORMATEX system = SystemFormat(format);
  return waveInOpen(nullptr, static_cast<UINT>(deviceId), &system, 0, 0, WAVE_FORMAT_QUERY);
}

MMRESULT WinMmWaveInput::Open(HWAVEIN* handle, std::uint32_t deviceId, const WAVEFORMATEX& format,
                              WaveInProc callback, std::uintptr_t instance) {
  auto device = std::make_unique<OpenDevice>();
  device->callback = callback;
  device->instance = instance;
  const ::WAVEFORMATEX system = SystemFormat(format);
  const MMRESULT result = waveInOpen(&device->system, static_cast<UINT>(deviceId), &system,
                                     reinterpret_cast<DWORD_PTR>(&SystemCallback),
                                     reinterpret_cast<DWORD_PTR>(device.get()), CALLBACK_FUNCTION);
  if (result != MMSYSERR_NOERROR)
    return result;
  *handle = device->Handle();
  const std::scoped_lock lock(mutex_);
  devices_.emplace(*handle, std::move(device));
  return MMSYSERR_NOERROR;
}

MMRESULT WinMmWaveInput::PrepareHeader(HWAVEIN handle, WAVEHDR* header) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || header == nullptr)
    return device == nullptr ? MMSYSERR_INVALHANDLE : MMSYSERR_INVALPARAM;
  const std::scoped_lock lock(device->headersMutex);
  std::unique_ptr<::WAVEHDR>& system = device->headers[header];
  if (!system)
    system = std::make_unique<::WAVEHDR>();
  CopyIn(*header, *system);
  const MMRESULT result = waveInPrepareHeader(device->system, system.get(), sizeof(::WAVEHDR));
  CopyOut(*system, *header);
  return result;
}

MMRESULT WinMmWaveInput::AddBuffer(HWAVEIN handle, WAVEHDR* header) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || header == nullptr)
    return device == nullptr ? MMSYSERR_INVALHANDLE : MMSYSERR_INVALPARAM;
  const std::scoped_lock lock(device->headersMutex);
  const auto found = device->headers.find(header);
  if (found == device->headers.end())
    return WAVERR_UNPREPARED;
  ::WAVEHDR& system = *found->second;
  CopyIn(*header, system);
  // The system may hand the buffer back on its thread at once: copy nothing out afterwards.
  return waveInAddBuffer(device->system, &system, sizeof(::WAVEHDR));
}

MMRESULT WinMmWaveInput::Start(HWAVEIN handle) {
  OpenDevice* device = Find(handle);
  return device != nullptr ? waveInStart(device->system) : MMSYSERR_INVALHANDLE;
}

MMRESULT WinMmWaveInput::Reset(HWAVEIN handle) {
  OpenDevice* device = Find(handle);
  return device != nullptr ? waveInReset(device->system) : MMSYSERR_INVALHANDLE;
}

MMRESULT WinMmWaveInput::UnprepareHeader(HWAVEIN handle, WAVEHDR* header) {
  OpenDevice* device = Find(handle);
  if (device == nullptr || header == nullptr)
    return device == nullptr ? MMSYSERR_INVALHANDLE : MMSYSERR_INVALPARAM;
  const std::scoped_lock lock(device->headersMutex);
  const auto found = device->headers.find(header);
  if (found == device->headers.end())
    return MMSYSERR_NOERROR;  // never prepared: nothing to undo, as the system answers
  CopyIn(*header, *found->second);
  const MMRESULT result =
      waveInUnprepareHeader(device->system, found->second.get(), sizeof(::WAVEHDR));
  CopyOut(*found->second, *header);
  return result;
}

MMRESULT WinMmWaveInput::Close(HWAVEIN handle) {
  const std::scoped_lock lock(mutex_);
  const auto found = devices_.find(handle);
  if (found == devices_.end())
    return MMSYSERR_INVALHANDLE;
  const MMRESULT result = waveInClose(found->second->system);
  if (result == MMSYSERR_NOERROR)
    devices_.erase(found);
  return result;
}

WinMmWaveInput::OpenDevice* WinMmWaveInput::Find(HWAVEIN handle) const {
  const std::scoped_lock lock(mutex_);
  const auto found = devices_.find(handle);
  return found != devices_.end() ? found->second.get() : nullptr;
}

}  // namespace sonavel::win32
