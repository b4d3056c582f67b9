#include "platform/alsa/AlsaWaveInput.h"

#include <utility>
#include <vector>

#include "platform/alsa/AlsaCaptureDevice.h"
#include "platform/alsa/AlsaPcm.h"

namespace sonavel::alsa {
namespace {

bool IsOurDevice(std::uint32_t deviceId) {
  return deviceId == 0 || deviceId == WAVE_MAPPER;
}

}  // namespace

AlsaWaveInput::AlsaWaveInput(std::string pcmName) : pcmName_(std::move(pcmName)) {}

AlsaWaveInput::~AlsaWaveInput() {
  for (auto& [handle, device] : devices_) {
    device->Abandon();
  }
}

MMRESULT AlsaWaveInput::QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) {
  if (!IsOurDevice(deviceId)) {
    return MMSYSERR_BADDEVICEID;
  }
  if (!IsSupportedPcmRecord(format)) {
    return WAVERR_BADFORMAT;
  }
  PcmHandle pcm;
  if (const MMRESULT result = OpenCapture(pcmName_, pcm); result != MMSYSERR_NOERROR) {
    return result;
  }
  return TestFormat(pcm.get(), format);
}

MMRESULT AlsaWaveInput::Open(HWAVEIN* device, std::uint32_t deviceId, const WAVEFORMATEX& format,
                             WaveInProc callback, std::uintptr_t instance) {
  if (device == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if (!IsOurDevice(deviceId)) {
    return MMSYSERR_BADDEVICEID;
  }
  if (!IsSupportedPcmRecord(format)) {
    return WAVERR_BADFORMAT;
  }
  AlsaCaptureDevice::Setup setup;
  setup.blockAlign = format.nBlockAlign;
  setup.callback = callback;
  setup.instance = instance;
  if (const MMRESULT result = OpenCapture(pcmName_, setup.pcm); result != MMSYSERR_NOERROR) {
    return result;
  }
  if (const MMRESULT result = Configure(setup.pcm.get(), format, setup.periodFrames);
      result != MMSYSERR_NOERROR) {
    return result;
  }
  std::shared_ptr<AlsaCaptureDevice> opened;
  {
    std::lock_guard lock(devicesMutex_);
    // Handles are serial numbers, not addresses: a stale handle never reaches a newer device.
    const auto handle = reinterpret_cast<HWAVEIN>(++lastHandle_);
    setup.handle = handle;
    opened = std::make_shared<AlsaCaptureDevice>(std::move(setup));
    devices_.emplace(handle, opened);
    *device = handle;
  }
  opened->AnnounceOpen();
  return MMSYSERR_NOERROR;
}

std::shared_ptr<AlsaCaptureDevice> AlsaWaveInput::Find(HWAVEIN device) const {
  std::lock_guard lock(devicesMutex_);
  const auto found = devices_.find(device);
  return found == devices_.end() ? nullptr : found->second;
}

MMRESULT AlsaWaveInput::PrepareHeader(HWAVEIN device, WAVEHDR* header) {
  const auto opened = Find(device);
  return opened ? opened->PrepareHeader(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT AlsaWaveInput::AddBuffer(HWAVEIN device, WAVEHDR* header) {
  const auto opened = Find(device);
  return opened ? opened->AddBuffer(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT AlsaWaveInput::Start(HWAVEIN device) {
  const auto opened = Find(device);
  return opened ? opened->Start() : MMSYSERR_INVALHANDLE;
}

MMRESULT AlsaWaveInput::Reset(HWAVEIN device) {
  const auto opened = Find(device);
  return opened ? opened->Reset() : MMSYSERR_INVALHANDLE;
}

MMRESULT AlsaWaveInput::UnprepareHeader(HWAVEIN device, WAVEHDR* header) {
  const auto opened = Find(device);
  return opened ? opened->UnprepareHeader(header) : MMSYSERR_INVALHANDLE;
}

MMRESULT AlsaWaveInput::Close(HWAVEIN device) {
  const auto opened = Find(device);
  if (!opened) {
    return MMSYSERR_INVALHANDLE;
  }
  const MMRESULT result = opened->Close();
  if (result == MMSYSERR_NOERROR) {
    std::lock_guard lock(devicesMutex_);
    devices_.erase(device);
  }
  return result;
}

std::optional<CaptureStatus> AlsaWaveInput::Status(HWAVEIN device) const {
  const auto opened = Find(device);
  if (!opened) {
    return std::nullopt;
  }
  return opened->Status();
}

}  // namespace sonavel::alsa
