#include "recorder/WaveRecorder.h"

#include <cstdio>
#include <cstdlib>

#include "framework/Files.h"
#include "recorder/MultimediaLibrary.h"

namespace sonavel {
namespace {

// Set once by the program before the framework starts; read on the UI thread only.
WaveInput* installedInput = nullptr;

WaveInput& InstalledInput() {
  if (installedInput == nullptr) {
    std::fputs("Sonavel: a recorder was created before a wave input was installed\n", stderr);
    std::abort();
  }
  return *installedInput;
}

}  // namespace

void UseWaveInput(WaveInput& input) {
  installedInput = &input;
}

WaveRecorder::WaveRecorder(ControlId windowId, ControlId unitId, WaveInput& input,
                           CaptureEngine::Pause pause)
    : windowId_(windowId), unitId_(unitId), input_(input), engine_(input, std::move(pause)) {}

// The members go in the reverse of their order: device, then engine (which closes the device
// and releases the blocks), then the recording.
WaveRecorder::~WaveRecorder() = default;

std::unique_ptr<ComponentObject> WaveRecorder::Create(const ComponentCreation& creation) {
  Desktop& desktop = creation.desktop;
  auto recorder = std::make_unique<WaveRecorder>(
      creation.windowId, creation.unitId, InstalledInput(),
      [&desktop](std::uint32_t milliseconds) { desktop.Sleep(milliseconds); });
  const WindowHandle window = desktop.CreateControl(
      creation.parent, {ControlKind::kHidden, creation.rect, {}, false, false});
  if (window == 0)
    return nullptr;
  return recorder;
}

void WaveRecorder::WindowDestroyed() {
  ForgetRecorder(windowId_, unitId_);
}

bool WaveRecorder::SetFormat(const RecordingFormat& format) {
  if (!IsAllowedFormat(format))
    return false;
  format_ = format;
  return true;
}

bool WaveRecorder::Start() {
  // The device record takes the low 16 bits of channels and bits; SetFormat allows no more.
  recording_.SetPcmFormat(static_cast<std::uint16_t>(format_.channels),
                          static_cast<std::uint32_t>(format_.samplesPerSecond),
                          static_cast<std::uint16_t>(format_.bitsPerSample));
  if (!device_.SupportsFormat(input_, recording_))
    return false;
  engine_.SetCaptureFormat(recording_.Format());
  engine_.SetDevice(device_);
  return engine_.Open() && engine_.StartCapture(kCaptureBufferBytes);
}

bool WaveRecorder::Stop() {
  return engine_.Reset();
}

bool WaveRecorder::Save(const std::string& fileName, bool overwrite) {
  if (FileExists(fileName) && !overwrite)
    return false;
  if (!engine_.Close())
    return false;
  // The copy of an earlier Save is released first, so that at most three copies of the
  // recording are held at once (blocks, joined frames, this copy); the joined recording is
  // moved in, not copied a second time: nobody can tell the difference.
  recording_.SetData(nullptr, 0);
  recording_ = engine_.AssembleRecording();
  recording_.SaveAs(fileName);
  return FileExists(fileName);
}

}  // namespace sonavel
