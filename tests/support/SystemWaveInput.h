#pragma once

#include <memory>

#include "recorder/WaveInput.h"

namespace sonavel {

// The wave input the program records from on this system, for tests on real sound.
std::unique_ptr<WaveInput> MakeSystemWaveInput();

}  // namespace sonavel
