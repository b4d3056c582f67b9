#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "recorder/CWave.h"
#include "recorder/WaveFileWriter.h"

namespace sonavel {
namespace {

// Collects what a writer writes, one entry a write.
class MemoryFile final : public OutputFile {
 public:
  void Write(const void* bytes, std::size_t count) override {
    const auto* first = static_cast<const unsigned char*>(bytes);
    content.insert(content.end(), first, first + count);
    ++writes;
  }
  void Close() override {}
  std::vector<unsigned char> content;
  int writes = 0;
};

std::vector<unsigned char> Hex(const char* text) {
  std::vector<unsigned char> bytes;
  for (const char* p = text; *p != '\0';) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    bytes.push_back(static_cast<unsigned char>(std::stoi(std::string(p, 2), nullptr, 16)));
    p += 2;
  }
  return bytes;
}

CWave Sound(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint32_t frames) {
  CWave wave;
  wave.SetPcmFormat(channels, rate, bits);
  const std::size_t bytes = std::size_t{frames} * wave.Format().nBlockAlign;
  SampleStorage storage = ObtainSampleStorage(bytes);
  for (std::size_t i = 0; i < bytes; ++i)
    storage[i] = static_cast<std::byte>(i * 7);
  wave.SetData(std::move(storage), frames);
  return wave;
}

TEST(WaveFileTest, NeverStartedRecordingIsTheBare44ByteHeader) {
  MemoryFile file;
  WriteTo(CWave(), file);
  EXPECT_EQ(file.content, Hex("52 49 46 46 24 00 00 00 57 41 56 45 66 6D 74 20 10 00 00 00 01 00 "
                              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 64 61 74 61 00 00 00 00"));
  EXPECT_EQ(file.writes, 12);  // no sample write when there are no samples
}

TEST(WaveFileTest, OneSecondOfStereo16BitMatchesTheWorkedExample) {
  MemoryFile file;
  const CWave wave = Sound(2, 8000, 16, 8000);
  WriteTo(wave, file);
  ASSERT_EQ(file.content.size(), 32044u);
  const std::vector<unsigned char> header(file.content.begin(), file.content.begin() + 44);
  EXPECT_EQ(header, Hex("52 49 46 46 24 7D 00 00 57 41 56 45 66 6D 74 20 10 00 00 00 01 00 02 00 "
                        "40 1F 00 00 00 7D 00 00 04 00 10 00 64 61 74 61 00 7D 00 00"));
  EXPECT_EQ(std::memcmp(file.content.data() + 44, wave.SampleData(), 32000), 0);
  EXPECT_EQ(file.writes, 13);
}

TEST(WaveFileTest, OddDataLengthGetsNoPadByte) {
  MemoryFile file;
  WriteTo(Sound(1, 8000, 8, 4095), file);
  ASSERT_EQ(file.content.size(), 4139u);
  EXPECT_EQ(file.content[4] | file.content[5] << 8, 4131);
}

TEST(WaveFileTest, DataPastTheRiffLimitGetsAnRf64Header) {
  MemoryFile file;
  WAVEFORMATEX format;
  format.nChannels = 2;
  format.nSamplesPerSec = 8000;
  format.nAvgBytesPerSec = 32000;
  format.nBlockAlign = 4;
  format.wBitsPerSample = 16;
  const std::uint64_t length = 5'000'000'000;
  WriteWaveHeader(format, length, file);
  ASSERT_EQ(file.content.size(), 80u);
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
      v = v << 8 | file.content[at + i];
    return v;
  };
  auto u64 = [&](std::size_t at) { return std::uint64_t{u32(at + 4)} << 32 | u32(at); };
  auto text = [&](std::size_t at, std::size_t n) {
    return std::string(file.content.begin() + at, file.content.begin() + at + n);
  };
  EXPECT_EQ(text(0, 4), "RF64");
  EXPECT_EQ(u32(4), 0xFFFFFFFFu);
  EXPECT_EQ(text(8, 8), "WAVEds64");
  EXPECT_EQ(u32(16), 28u);
  EXPECT_EQ(u64(20), length + 72);  // the file's length less 8
  EXPECT_EQ(u64(28), length);
  EXPECT_EQ(u64(36), length / 4);
  EXPECT_EQ(text(48, 4), "fmt ");
  EXPECT_EQ(u32(52), 16u);
  EXPECT_EQ(text(72, 4), "data");
  EXPECT_EQ(u32(76), 0xFFFFFFFFu);

  // The largest data that still fits stays a classic RIFF header.
  MemoryFile classic;
  WriteWaveHeader(format, 0xFFFFFFFFull - 36, classic);
  EXPECT_EQ(classic.content.size(), 44u);
  EXPECT_EQ(std::string(classic.content.begin(), classic.content.begin() + 4), "RIFF");
}

TEST(CWaveTest, PcmFormatIsDerivedFromTheThreeValues) {
  struct Case {
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint16_t blockAlign;
    std::uint32_t bytesPerSecond;
  };
  const Case cases[] = {{1, 8000, 16, 2, 16000},
                        {2, 8000, 16, 4, 32000},
                        {2, 44100, 16, 4, 176400},
                        {1, 11025, 8, 1, 11025},
                        {1, 44100, 8, 1, 44100}};
  for (const Case& c : cases) {
    CWave wave;
    wave.SetPcmFormat(c.channels, c.rate, c.bits);
    const WAVEFORMATEX format = wave.Format();
    EXPECT_EQ(format.wFormatTag, 1);
    EXPECT_EQ(format.nChannels, c.channels);
    EXPECT_EQ(format.nSamplesPerSec, c.rate);
    EXPECT_EQ(format.nBlockAlign, c.blockAlign);
    EXPECT_EQ(format.nAvgBytesPerSec, c.bytesPerSecond);
    EXPECT_EQ(format.wBitsPerSample, c.bits);
    EXPECT_EQ(format.cbSize, 0);
    EXPECT_EQ(wave.SampleCount(), 0u);
  }
}

TEST(CWaveTest, CopiesAreDeepAndSelfAssignmentChangesNothing) {
  CWave original = Sound(2, 8000, 16, 37);
  const CWave copy(original);
  ASSERT_EQ(copy.SampleCount(), 37u);
  EXPECT_NE(copy.SampleData(), original.SampleData());
  EXPECT_EQ(std::memcmp(copy.SampleData(), original.SampleData(), 37 * 4), 0);
  EXPECT_EQ(copy.Format(), original.Format());

  const std::byte* before = original.SampleData();
  CWave& self = original;
  original = self;
  EXPECT_EQ(original.SampleData(), before);
  EXPECT_EQ(original.SampleCount(), 37u);
}

TEST(SampleBufferTest, CopyFromCutsALongerSourceAndZeroFillsAShorterOne) {
  const std::array<std::byte, 8> source = {std::byte{1}, std::byte{2}, std::byte{3}, std::byte{4},
                                           std::byte{5}, std::byte{6}, std::byte{7}, std::byte{8}};
  SampleBuffer buffer;
  buffer.Allocate(3, 2);
  buffer.CopyFrom(source.data(), 4, 2);  // longer: cut to 3 elements
  EXPECT_EQ(std::memcmp(buffer.Data(), source.data(), 6), 0);
  buffer.CopyFrom(source.data(), 1, 2);  // shorter: zeros behind it
  EXPECT_EQ(buffer.Data()[1], std::byte{2});
  EXPECT_EQ(buffer.Data()[2], std::byte{0});
  EXPECT_EQ(buffer.Data()[5], std::byte{0});

  SampleBuffer empty;
  empty.CopyFrom(source.data(), 2, 4);  // nothing held yet: allocated to fit
  EXPECT_EQ(empty.Count(), 2u);
  EXPECT_EQ(std::memcmp(empty.Data(), source.data(), 8), 0);
}

}  // namespace
}  // namespace sonavel
