#include "platform/alsa/AlsaWaveInput.h"
#include "tests/support/SystemWaveInput.h"

namespace sonavel {

std::unique_ptr<WaveInput> MakeSystemWaveInput() {
  return std::make_unique<alsa::AlsaWaveInput>();
}

}  // namespace sonavel
