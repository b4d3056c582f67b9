#include "platform/win32/WinMmWaveInput.h"
#include "tests/support/SystemWaveInput.h"

namespace sonavel {

std::unique_ptr<WaveInput> MakeSystemWaveInput() {
  return std::make_unique<win32::WinMmWaveInput>();
}

}  // namespace sonavel
