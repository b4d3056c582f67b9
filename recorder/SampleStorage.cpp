#include "recorder/SampleStorage.h"

#include <atomic>
#include <limits>
#include <new>

namespace sonavel {
namespace {

// Replaced by tests on the UI thread while capture threads may allocate.
std::atomic<MemorySource*>& Installed() {
  static std::atomic<MemorySource*> source{&SystemMemory()};
  return source;
}

}  // namespace

void SampleStorageRelease::operator()(std::byte* storage) const {
  if (storage != nullptr)
    source->Release(storage);
}

SampleStorage ObtainSampleStorage(std::uint64_t bytes) {
  if (bytes > std::numeric_limits<std::size_t>::max())
    throw std::bad_alloc();
  MemorySource& source = SampleMemory();
  void* block = source.Obtain(static_cast<std::size_t>(bytes));
  if (block == nullptr)
    throw std::bad_alloc();
  return SampleStorage(static_cast<std::byte*>(block), SampleStorageRelease{&source});
}

void UseSampleMemory(MemorySource& source) {
  Installed().store(&source);
}

MemorySource& SampleMemory() {
  return *Installed().load();
}

}  // namespace sonavel
