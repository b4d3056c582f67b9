#pragma once

#include <cstdint>

#include "recorder/CWave.h"
#include "recorder/WaveInput.h"

namespace sonavel {

// The device a recording is made from: always the one the system's wave mapper chooses.
class InputDevice {
 public:
  virtual ~InputDevice() = default;

  std::uint32_t DeviceId() const { return deviceId_; }
  // Asks the device, without opening it, whether it can record in the wave's format.
  bool SupportsFormat(WaveInput& input, const CWave& wave) const {
    return input.QueryFormat(deviceId_, wave.Format()) == MMSYSERR_NOERROR;
  }

 private:
  std::uint32_t deviceId_ = WAVE_MAPPER;
};

}  // namespace sonavel
