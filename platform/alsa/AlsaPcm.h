#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

#include "recorder/WaveFormat.h"
#include "recorder/WaveInput.h"

// Opening and configuring an ALSA capture PCM for a PCM format record, with ALSA's errors turned
// into the system's answers.
namespace sonavel::alsa {

struct PcmCloser {
  void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using PcmHandle = std::unique_ptr<snd_pcm_t, PcmCloser>;

// Whether the record is one the back-end hands over byte for byte: PCM, 1 or 2 channels, 8-bit
// unsigned or 16-bit signed little-endian, a rate, and block align and byte rate that agree.
bool IsSupportedPcmRecord(const WAVEFORMATEX& format);

// Opens the named PCM for capture. A busy device answers at once instead of blocking.
MMRESULT OpenCapture(const std::string& name, PcmHandle& pcm);

// Whether the open PCM takes the format exactly (no resampling); configures nothing.
MMRESULT TestFormat(snd_pcm_t* pcm, const WAVEFORMATEX& format);

// Configures the exact format with short periods and switches to blocking reads. periodFrames
// receives the period the device chose.
MMRESULT Configure(snd_pcm_t* pcm, const WAVEFORMATEX& format, snd_pcm_uframes_t& periodFrames);

}  // namespace sonavel::alsa
