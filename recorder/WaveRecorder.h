#pragma once

#include <memory>
#include <string>

#include "framework/ControlId.h"
#include "framework/SupportLibrary.h"
#include "recorder/CWave.h"
#include "recorder/CaptureEngine.h"
#include "recorder/InputDevice.h"
#include "recorder/RecordingFormat.h"
#include "recorder/WaveInput.h"

namespace sonavel {

// The run-time object of one recorder control. It lives in a hidden child window of the window
// holding the control and is deleted after that window is destroyed; a recording that was not
// saved is lost with it. Every operation runs on the UI thread.
class WaveRecorder final : public ComponentObject {
 public:
  static constexpr std::uint32_t kCaptureBufferBytes = 4096;

  WaveRecorder(ControlId windowId, ControlId unitId, WaveInput& input, CaptureEngine::Pause pause);
  ~WaveRecorder() override;

  // The component's creation routine, on the installed wave input.
  static std::unique_ptr<ComponentObject> Create(const ComponentCreation& creation);

  void WindowDestroyed() override;

  ControlId WindowId() const { return windowId_; }
  ControlId UnitId() const { return unitId_; }
  const RecordingFormat& Format() const { return format_; }
  // Stores all three values, or none when any is not allowed. A running capture keeps its own.
  bool SetFormat(const RecordingFormat& format);
  // Discards any earlier recording once the device opens, and captures in the stored format.
  bool Start();
  // Halts capture; the device stays open until Save or the next Start.
  bool Stop();
  // Closes the device and writes everything captured since the device last started to the
  // named file. False when the file exists and may not be overwritten (nothing else happens
  // then) or when the device cannot be closed. Raises FileError or std::bad_alloc.
  bool Save(const std::string& fileName, bool overwrite);

  const CWave& Recording() const { return recording_; }
  const CaptureEngine& Engine() const { return engine_; }

 private:
  ControlId windowId_;
  ControlId unitId_;
  WaveInput& input_;
  CWave recording_;
  CaptureEngine engine_;
  InputDevice device_;
  RecordingFormat format_;
};

// The wave input every recorder created from now on records from. The program installs its
// back-end's before the framework starts; UI thread only.
void UseWaveInput(WaveInput& input);

}  // namespace sonavel
