#include "recorder/WaveRecorder.h"

#include "recorder/MultimediaLibrary.h"

namespace sonavel {

WaveRecorder::WaveRecorder(ControlId windowId, ControlId unitId)
    : windowId_(windowId), unitId_(unitId) {}

std::unique_ptr<ComponentObject> WaveRecorder::Create(const ComponentCreation& creation) {
  auto recorder = std::make_unique<WaveRecorder>(creation.windowId, creation.unitId);
  const WindowHandle window = creation.desktop.CreateControl(
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

}  // namespace sonavel
