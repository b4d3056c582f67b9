#include "platform/alsa/AlsaPcm.h"

#include <cerrno>
#include <cstdint>

namespace sonavel::alsa {
namespace {

// One period is one capture buffer at the recorder's format (1024 frames at 8000 Hz): the
// thread and the sound server wake once a buffer, which keeps capture as cheap as the system's
// own recorder; a stop still takes effect within one buffer, since the flag is checked each period.
constexpr unsigned kPeriodMicroseconds = 128'000;
// Room for the capture thread to be late by several periods before the device overruns.
constexpr unsigned kBufferMicroseconds = 1'000'000;

struct HardwareParamsFree {
  void operator()(snd_pcm_hw_params_t* params) const { snd_pcm_hw_params_free(params); }
};
using HardwareParams = std::unique_ptr<snd_pcm_hw_params_t, HardwareParamsFree>;

MMRESULT OpenErrorToResult(int error) {
  switch (-error) {
    case EBUSY:
      return MMSYSERR_ALLOCATED;
    case ENOMEM:
      return MMSYSERR_NOMEM;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EINVAL:
      return MMSYSERR_BADDEVICEID;
    default:
      return MMSYSERR_NODRIVER;
  }
}

// The device's whole configuration space narrowed to the format; nothing is installed.
MMRESULT RestrictToFormat(snd_pcm_t* pcm, const WAVEFORMATEX& format, HardwareParams& params) {
  snd_pcm_hw_params_t* raw = nullptr;
  if (snd_pcm_hw_params_malloc(&raw) < 0) {
    return MMSYSERR_NOMEM;
  }
  params.reset(raw);
  if (snd_pcm_hw_params_any(pcm, raw) < 0) {
    return MMSYSERR_NODRIVER;
  }
  const snd_pcm_format_t sampleFormat =
      format.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
  const bool exact = snd_pcm_hw_params_set_rate_resample(pcm, raw, 0) >= 0 &&
                     snd_pcm_hw_params_set_access(pcm, raw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
                     snd_pcm_hw_params_set_format(pcm, raw, sampleFormat) >= 0 &&
                     snd_pcm_hw_params_set_channels(pcm, raw, format.nChannels) >= 0 &&
                     snd_pcm_hw_params_set_rate(pcm, raw, format.nSamplesPerSec, 0) >= 0;
  return exact ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}

}  // namespace

bool IsSupportedPcmRecord(const WAVEFORMATEX& format) {
  if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels < 1 || format.nChannels > 2 ||
      (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) || format.nSamplesPerSec == 0) {
    return false;
  }
  const std::uint32_t blockAlign = format.nChannels * format.wBitsPerSample / 8u;
  return format.nBlockAlign == blockAlign &&
         format.nAvgBytesPerSec == std::uint64_t{format.nSamplesPerSec} * blockAlign;
}

MMRESULT OpenCapture(const std::string& name, PcmHandle& pcm) {
  snd_pcm_t* raw = nullptr;
  const int error = snd_pcm_open(&raw, name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
  if (error < 0) {
    return OpenErrorToResult(error);
  }
  pcm.reset(raw);
  return MMSYSERR_NOERROR;
}

MMRESULT TestFormat(snd_pcm_t* pcm, const WAVEFORMATEX& format) {
  HardwareParams params;
  return RestrictToFormat(pcm, format, params);
}

MMRESULT Configure(snd_pcm_t* pcm, const WAVEFORMATEX& format, snd_pcm_uframes_t& periodFrames) {
  HardwareParams params;
  if (const MMRESULT result = RestrictToFormat(pcm, format, params); result != MMSYSERR_NOERROR) {
    return result;
  }
  unsigned periodTime = kPeriodMicroseconds;
  unsigned bufferTime = kBufferMicroseconds;
  if (snd_pcm_hw_params_set_period_time_near(pcm, params.get(), &periodTime, nullptr) < 0 ||
      snd_pcm_hw_params_set_buffer_time_near(pcm, params.get(), &bufferTime, nullptr) < 0 ||
      snd_pcm_hw_params(pcm, params.get()) < 0 ||
      snd_pcm_hw_params_get_period_size(params.get(), &periodFrames, nullptr) < 0 ||
      periodFrames == 0) {
    return MMSYSERR_ERROR;
  }
  // Opened without blocking so a busy device answers at once; the capture thread blocks in reads.
  return snd_pcm_nonblock(pcm, 0) < 0 ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

}  // namespace sonavel::alsa
