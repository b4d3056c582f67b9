#pragma once

#include "framework/ControlId.h"
#include "framework/SupportLibrary.h"
#include "framework/TypeCode.h"

namespace sonavel {

class WaveRecorder;

// The multimedia support library: the WaveRecord component ("录音") and its commands.
class MultimediaLibrary final : public SupportLibrary {
 public:
  static constexpr std::uint16_t kWaveRecordType = 2;
  // The recorder's type code: library 2, type 2. Commands take the recorder as this object.
  static constexpr TypeCode kWaveRecordCode = 0x00020002;

  int Notify(int code, ServiceEntry entry) override;
  std::span<const CommandSpec> Commands() const override;
  CreationRoutine ComponentTypeEntry(std::uint16_t typeNumber, int code) const override;
  bool HasVisibleForm(std::uint16_t typeNumber) const override;
};

SupportLibrary& TheMultimediaLibrary();

// The recorder of a control, through the framework's object lookup. Never null: an unknown
// control ends the process in the framework.
WaveRecorder& FindRecorder(ControlId windowId, ControlId unitId);
// Tells the framework to forget a recorder whose window has been destroyed.
void ForgetRecorder(ControlId windowId, ControlId unitId);

}  // namespace sonavel
