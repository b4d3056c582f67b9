#pragma once

#include <cstdint>

namespace sonavel {

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The PCM format record: 18 bytes on disk and at the device boundary, little-endian.
struct WAVEFORMATEX {
  std::uint16_t wFormatTag = WAVE_FORMAT_PCM;
  std::uint16_t nChannels = 0;
  std::uint32_t nSamplesPerSec = 0;
  std::uint32_t nAvgBytesPerSec = 0;
  std::uint16_t nBlockAlign = 0;
  std::uint16_t wBitsPerSample = 0;
  std::uint16_t cbSize = 0;

  friend bool operator==(const WAVEFORMATEX&, const WAVEFORMATEX&) = default;
};

}  // namespace sonavel
