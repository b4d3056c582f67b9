#pragma once

#include <cstdint>

namespace sonavel {

// The format the next recording is made with.
struct RecordingFormat {
  std::int32_t channels = 1;
  std::int32_t samplesPerSecond = 8000;
  std::int32_t bitsPerSample = 16;

  friend bool operator==(const RecordingFormat&, const RecordingFormat&) = default;
};

// Whether all three values are among the allowed ones, compared as whole 32-bit values.
bool IsAllowedFormat(const RecordingFormat& format);

}  // namespace sonavel
