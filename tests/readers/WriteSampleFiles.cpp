// Records and saves a few wave files through the recorder on the simulated device, for the
// independent readers to judge. Usage: write_sample_files FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "platform/headless/SimulatedWaveInput.h"
#include "recorder/WaveRecorder.h"

namespace {

struct Sample {
  const char* name;
  sonavel::RecordingFormat format;
  std::vector<std::uint32_t> buffers;  // bytes recorded in each returned buffer
};

bool Write(const std::string& folder, const Sample& sample) {
  sonavel::headless::SimulatedWaveInput device;
  sonavel::WaveRecorder recorder(1, 2, device, [](std::uint32_t) {});
  if (!recorder.SetFormat(sample.format) || !recorder.Start())
    return false;
  device.ScriptBytesRecorded(sample.buffers);
  for (std::size_t i = 0; i < sample.buffers.size(); ++i) {
    if (device.Fill(1) != 1 || !device.WaitForQueued(2))
      return false;
  }
  return recorder.Stop() && recorder.Save(folder + "/" + sample.name, true);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: write_sample_files FOLDER\n", stderr);
    return 2;
  }
  const Sample samples[] = {
      {"stereo16-8000.wav", {2, 8000, 16}, {4096, 4096, 148}},  // 2085 frames
      {"mono8-8000.wav", {1, 8000, 8}, {4095}},                 // odd data length
      {"stereo16-44100.MP3", {2, 44100, 16}, {4096, 4096, 4096}},
      {"mono16-11025.wav", {1, 11025, 16}, {4096}},
      {"stereo8-22050.wav", {2, 22050, 8}, {}},  // no frames at all
  };
  for (const Sample& sample : samples) {
    if (!Write(argv[1], sample)) {
      std::fprintf(stderr, "could not write %s\n", sample.name);
      return 1;
    }
  }
  return 0;
}
