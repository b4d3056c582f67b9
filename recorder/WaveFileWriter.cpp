#include "recorder/WaveFileWriter.h"

#include <array>
#include <limits>
#include <string_view>

namespace sonavel {
namespace {

constexpr std::uint64_t kLargestClassicData = std::numeric_limits<std::uint32_t>::max() - 36;
constexpr std::uint32_t kSizeInDs64 = 0xFFFFFFFF;
constexpr std::uint32_t kFormatChunkSize = 16;
constexpr std::uint32_t kDs64ChunkSize = 28;

template <typename Number>
void WriteLittleEndian(OutputFile& file, Number value) {
  std::array<unsigned char, sizeof(Number)> bytes{};
  for (std::size_t i = 0; i < sizeof(Number); ++i) {
    bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  }
  file.Write(bytes.data(), bytes.size());
}

void WriteText(OutputFile& file, std::string_view text) {
  file.Write(text.data(), text.size());
}

void WriteFormatFields(const WAVEFORMATEX& format, OutputFile& file) {
  WriteLittleEndian(file, kFormatChunkSize);
  WriteLittleEndian(file, format.wFormatTag);
  WriteLittleEndian(file, format.nChannels);
  WriteLittleEndian(file, format.nSamplesPerSec);
  WriteLittleEndian(file, format.nAvgBytesPerSec);
  WriteLittleEndian(file, format.nBlockAlign);
  WriteLittleEndian(file, format.wBitsPerSample);
}

}  // namespace

void WriteWaveHeader(const WAVEFORMATEX& format, std::uint64_t dataLength, OutputFile& file) {
  if (dataLength <= kLargestClassicData) {
    const auto length = static_cast<std::uint32_t>(dataLength);
    WriteText(file, "RIFF");
    WriteLittleEndian(file, length + 36);
    WriteText(file, "WAVEfmt ");
    WriteFormatFields(format, file);
    WriteText(file, "data");
    WriteLittleEndian(file, length);
    return;
  }
  // Everything after the RIFF size field: form type, ds64, fmt and data chunk headers, data.
  const std::uint64_t riffSize = 4 + (8 + kDs64ChunkSize) + (8 + kFormatChunkSize) + 8 + dataLength;
  const std::uint64_t frames = format.nBlockAlign != 0 ? dataLength / format.nBlockAlign : 0;
  WriteText(file, "RF64");
  WriteLittleEndian(file, kSizeInDs64);
  WriteText(file, "WAVEds64");
  WriteLittleEndian(file, kDs64ChunkSize);
  WriteLittleEndian(file, riffSize);
  WriteLittleEndian(file, dataLength);
  WriteLittleEndian(file, frames);
  WriteLittleEndian(file, std::uint32_t{0});  // no table of other chunk sizes
  WriteText(file, "fmt ");
  WriteFormatFields(format, file);
  WriteText(file, "data");
  WriteLittleEndian(file, kSizeInDs64);
}

void WriteTo(const CWave& wave, OutputFile& file) {
  const std::uint64_t length = wave.DataLength();
  WriteWaveHeader(wave.Format(), length, file);
  if (length > 0)
    file.Write(wave.SampleData(), static_cast<std::size_t>(length));
}

}  // namespace sonavel
