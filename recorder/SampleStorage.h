#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/MemorySource.h"

namespace sonavel {

// Gives storage back to the source it came from.
struct SampleStorageRelease {
  MemorySource* source = nullptr;
  void operator()(std::byte* storage) const;
};

// Storage of sample frames and capture buffers, owned by exactly one object.
using SampleStorage = std::unique_ptr<std::byte[], SampleStorageRelease>;

// Obtains bytes from the sample memory source. Exhausted memory, or a size this process cannot
// address, raises std::bad_alloc: the framework's out-of-memory error.
SampleStorage ObtainSampleStorage(std::uint64_t bytes);

// Where sample storage comes from: the C heap unless a test installs a source of its own. The
// capture thread obtains storage too, so the source is read atomically and must be thread-safe.
void UseSampleMemory(MemorySource& source);
MemorySource& SampleMemory();

}  // namespace sonavel
