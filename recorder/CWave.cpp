#include "recorder/CWave.h"

#include "framework/Files.h"
#include "recorder/WaveFileWriter.h"

namespace sonavel {

CWave::CWave(const WAVEFORMATEX& format) : waveFormat_(format) {
  samples_.Attach(nullptr, 0, format.nBlockAlign);
}

CWave::CWave(const CWave& other) : waveFormat_(other.waveFormat_) {
  samples_.Allocate(other.SampleCount(), other.waveFormat_.nBlockAlign);
  samples_.CopyFrom(other.SampleData(), other.SampleCount(), other.waveFormat_.nBlockAlign);
}

CWave& CWave::operator=(const CWave& other) {
  if (this == &other)
    return *this;
  // Build the copy first, so a failed allocation leaves this object as it was.
  CWave copy(other);
  *this = std::move(copy);
  return *this;
}

void CWave::SetPcmFormat(std::uint16_t channels, std::uint32_t samplesPerSecond,
                         std::uint16_t bitsPerSample) {
  waveFormat_.nChannels = channels;
  waveFormat_.nSamplesPerSec = samplesPerSecond;
  const std::uint32_t bitsPerFrame = std::uint32_t{channels} * bitsPerSample;
  waveFormat_.wFormatTag = WAVE_FORMAT_PCM;
  waveFormat_.nBlockAlign = static_cast<std::uint16_t>(bitsPerFrame / 8);
  waveFormat_.wBitsPerSample = bitsPerSample;
  waveFormat_.nAvgBytesPerSec = bitsPerFrame * samplesPerSecond / 8;
  samples_.Attach(nullptr, 0, waveFormat_.nBlockAlign);
}

void CWave::SetData(SampleStorage storage, std::uint32_t count) {
  samples_.Attach(std::move(storage), count, waveFormat_.nBlockAlign);
}

std::uint64_t CWave::DataLength() const {
  return SampleBuffer::ByteSize(SampleCount(), waveFormat_.nBlockAlign);
}

void CWave::SaveAs(const std::string& fileName) const {
  const std::unique_ptr<OutputFile> file = CreateOutputFile(fileName);
  WriteTo(*this, *file);
  file->Close();
}

}  // namespace sonavel
