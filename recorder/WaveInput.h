#pragma once

#include <cstdint>

#include "recorder/WaveFormat.h"

// The wave-input device as the recorder uses it, in the shape of the system's waveform-audio
// input: query a format, open with a callback, prepare and add buffers, start, reset, unprepare,
// close. Every call answers an MMRESULT; anything but MMSYSERR_NOERROR is a failure.
//
// Threads: calls may come from two threads at once (the recorder's UI thread resetting or
// closing, its capture thread unpreparing and adding buffers); a device is safe for that. The
// callback runs on a thread of the device's own, or, for what Open, Close and Reset send, on the
// thread making that call. It must not call back into the device (on Windows that deadlocks),
// and a caller must hold no lock the callback needs while it opens, resets or closes. A device
// never holds a lock of its own while it runs the callback.
//
// Buffers: a buffer added to an open device is handed back exactly once through the callback
// with WIM_DATA, WHDR_DONE set in dwFlags and dwBytesRecorded filled in, in the order in which
// the buffers were added. Reset stops input and hands back every queued buffer as done; one that
// was partly filled comes back with what it holds, so nothing captured before the reset is lost.
namespace sonavel {

using MMRESULT = std::uint32_t;
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;

// The device the system's wave mapper chooses.
constexpr std::uint32_t WAVE_MAPPER = 0xFFFFFFFF;

constexpr std::uint32_t WIM_OPEN = 0x3BE;
constexpr std::uint32_t WIM_CLOSE = 0x3BF;
constexpr std::uint32_t WIM_DATA = 0x3C0;

constexpr std::uint32_t WHDR_DONE = 0x01;
constexpr std::uint32_t WHDR_PREPARED = 0x02;
constexpr std::uint32_t WHDR_INQUEUE = 0x10;

// One capture buffer, in the system's layout.
struct WAVEHDR {
  char* lpData = nullptr;
  std::uint32_t dwBufferLength = 0;
  std::uint32_t dwBytesRecorded = 0;
  std::uintptr_t dwUser = 0;
  std::uint32_t dwFlags = 0;
  std::uint32_t dwLoops = 0;
  WAVEHDR* lpNext = nullptr;
  std::uintptr_t reserved = 0;
};

// An open device; what it points to is the back-end's own.
using HWAVEIN = struct WaveInDevice*;

// Messages WIM_OPEN, WIM_CLOSE and WIM_DATA; for WIM_DATA the first parameter is the WAVEHDR*.
using WaveInProc = void (*)(HWAVEIN device, std::uint32_t message, std::uintptr_t instance,
                            std::uintptr_t firstParameter, std::uintptr_t secondParameter);

class WaveInput {
 public:
  virtual ~WaveInput() = default;

  // Whether the device could record in the format; opens nothing.
  virtual MMRESULT QueryFormat(std::uint32_t deviceId, const WAVEFORMATEX& format) = 0;
  // Opens the device in the format; the callback receives every returned buffer.
  virtual MMRESULT Open(HWAVEIN* device, std::uint32_t deviceId, const WAVEFORMATEX& format,
                        WaveInProc callback, std::uintptr_t instance) = 0;
  virtual MMRESULT PrepareHeader(HWAVEIN device, WAVEHDR* header) = 0;
  // Queues a prepared buffer; the device fills the queued buffers in order once started.
  virtual MMRESULT AddBuffer(HWAVEIN device, WAVEHDR* header) = 0;
  virtual MMRESULT Start(HWAVEIN device) = 0;
  // Stops input and hands every queued buffer back as done.
  virtual MMRESULT Reset(HWAVEIN device) = 0;
  virtual MMRESULT UnprepareHeader(HWAVEIN device, WAVEHDR* header) = 0;
  // Fails with WAVERR_STILLPLAYING while buffers are queued.
  virtual MMRESULT Close(HWAVEIN device) = 0;
};

}  // namespace sonavel
