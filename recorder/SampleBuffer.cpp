#include "recorder/SampleBuffer.h"

#include <algorithm>
#include <cstring>

namespace sonavel {

void SampleBuffer::Allocate(std::uint32_t count, std::uint32_t elementSize) {
  Attach(ObtainSampleStorage(ByteSize(count, elementSize)), count, elementSize);
}

void SampleBuffer::Attach(SampleStorage storage, std::uint32_t count, std::uint32_t elementSize) {
  data_ = std::move(storage);
  count_ = count;
  elementSize_ = elementSize;
}

void SampleBuffer::CopyFrom(const std::byte* source, std::uint32_t count,
                            std::uint32_t elementSize) {
  if (!data_)
    Allocate(count, elementSize);
  const std::uint64_t copied = ByteSize(std::min(count_, count), elementSize);
  if (copied == 0)
    return;
  // Never past the own storage, whatever element size the caller names. Only what the source
  // does not cover is zeroed: the same bytes as zeroing all first, in one pass instead of two.
  const auto copiedBytes = static_cast<std::size_t>(std::min(copied, Bytes()));
  std::memcpy(data_.get(), source, copiedBytes);
  std::memset(data_.get() + copiedBytes, 0, static_cast<std::size_t>(Bytes()) - copiedBytes);
}

}  // namespace sonavel
