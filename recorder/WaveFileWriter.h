#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/Files.h"
#include "recorder/CWave.h"

namespace sonavel {

// The header of a RIFF/WAVE file with a 16-byte PCM format chunk: 44 bytes in thirteen writes.
// When the RIFF size (data length + 36) would not fit in 32 bits, an RF64 header is written
// instead: "RF64", a ds64 chunk with the 64-bit sizes, and 0xFFFFFFFF in the 32-bit size fields.
void WriteWaveHeader(const WAVEFORMATEX& format, std::uint64_t dataLength, OutputFile& file);

// The header, then the sample bytes in one write (none when there are none). No pad byte
// follows an odd data length.
void WriteTo(const CWave& wave, OutputFile& file);

}  // namespace sonavel
