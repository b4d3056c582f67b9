#pragma once

#include <cstdint>

namespace sonavel::alsa {

// What an open capture device has been through, for diagnostics and tests.
struct CaptureStatus {
  // Overruns the device reported and recovered from; frames were lost at each.
  std::uint64_t overruns = 0;
  // Frames captured while no buffer was queued; the system drops these too.
  std::uint64_t droppedFrames = 0;
  // The capture thread is running.
  bool capturing = false;
  // The device failed (gone, or hung past the stop bound); only Reset, Unprepare and Close work.
  bool lost = false;
};

}  // namespace sonavel::alsa
