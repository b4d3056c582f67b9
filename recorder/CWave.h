#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "recorder/SampleBuffer.h"
#include "recorder/WaveFormat.h"

namespace sonavel {

// One sound in memory: a PCM format record and its frames. Copies are deep.
class CWave {
 public:
  CWave() = default;
  // A wave of this format, taken as it is, with no frames yet.
  explicit CWave(const WAVEFORMATEX& format);
  virtual ~CWave() = default;
  CWave(const CWave& other);
  CWave& operator=(const CWave& other);
  // A temporary may hand over its frames; nobody can tell the difference from a copy.
  CWave(CWave&& other) noexcept = default;
  CWave& operator=(CWave&& other) noexcept = default;

  // Replaces the format by the PCM record derived from the three values and empties the frames.
  void SetPcmFormat(std::uint16_t channels, std::uint32_t samplesPerSecond,
                    std::uint16_t bitsPerSample);
  WAVEFORMATEX Format() const { return waveFormat_; }
  // Takes over count frames of the format's block size held in storage.
  void SetData(SampleStorage storage, std::uint32_t count);
  const std::byte* SampleData() const { return samples_.Data(); }
  std::uint32_t SampleCount() const { return samples_.Count(); }
  // SampleCount × nBlockAlign, in 64 bits.
  std::uint64_t DataLength() const;
  // Creates the named file (an existing one is emptied), writes the wave file and closes it.
  // Raises FileError; a write that fails leaves the partly written file behind.
  void SaveAs(const std::string& fileName) const;

 private:
  SampleBuffer samples_;
  WAVEFORMATEX waveFormat_;
};

}  // namespace sonavel
