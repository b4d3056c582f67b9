#pragma once

#include <memory>

#include "framework/ControlId.h"
#include "framework/SupportLibrary.h"
#include "recorder/RecordingFormat.h"

namespace sonavel {

// The run-time object of one recorder control. It lives in a hidden child window of the window
// holding the control and is deleted after that window is destroyed.
class WaveRecorder final : public ComponentObject {
 public:
  WaveRecorder(ControlId windowId, ControlId unitId);

  // The component's creation routine.
  static std::unique_ptr<ComponentObject> Create(const ComponentCreation& creation);

  void WindowDestroyed() override;

  ControlId WindowId() const { return windowId_; }
  ControlId UnitId() const { return unitId_; }
  const RecordingFormat& Format() const { return format_; }
  // Stores all three values, or none when any is not allowed.
  bool SetFormat(const RecordingFormat& format);

 private:
  ControlId windowId_;
  ControlId unitId_;
  RecordingFormat format_;
};

}  // namespace sonavel
