#include "recorder/RecordingFormat.h"

namespace sonavel {

bool IsAllowedFormat(const RecordingFormat& format) {
  const bool channels = format.channels == 1 || format.channels == 2;
  const bool rate = format.samplesPerSecond == 8000 || format.samplesPerSecond == 11025 ||
                    format.samplesPerSecond == 22050 || format.samplesPerSecond == 44100;
  const bool bits = format.bitsPerSample == 8 || format.bitsPerSample == 16;
  return channels && rate && bits;
}

}  // namespace sonavel
