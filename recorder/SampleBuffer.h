#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "recorder/SampleStorage.h"

namespace sonavel {

// An owned array of sample frames. Storage comes from the sample memory source: exhausted memory
// raises std::bad_alloc, the framework's out-of-memory error.
class SampleBuffer {
 public:
  SampleBuffer() = default;
  virtual ~SampleBuffer() = default;
  SampleBuffer(const SampleBuffer&) = delete;
  SampleBuffer& operator=(const SampleBuffer&) = delete;
  SampleBuffer(SampleBuffer&&) noexcept = default;
  SampleBuffer& operator=(SampleBuffer&&) noexcept = default;

  // Sizes are formed in 64 bits: count × element size never wraps into a short allocation.
  static std::uint64_t ByteSize(std::uint32_t count, std::uint32_t elementSize) {
    return std::uint64_t{count} * elementSize;
  }

  // Obtains count × element size bytes (contents undefined) and attaches them.
  void Allocate(std::uint32_t count, std::uint32_t elementSize);
  // Releases what was held, then owns the given storage.
  void Attach(SampleStorage storage, std::uint32_t count, std::uint32_t elementSize);
  // Allocates when empty; then zeroes the own storage and copies the first
  // min(own count, count) elements from source. Existing storage is never resized.
  void CopyFrom(const std::byte* source, std::uint32_t count, std::uint32_t elementSize);

  std::uint32_t ElementSize() const { return elementSize_; }
  const std::byte* Data() const { return data_.get(); }
  std::byte* Data() { return data_.get(); }
  std::uint32_t Count() const { return count_; }
  std::uint64_t Bytes() const { return ByteSize(count_, elementSize_); }

 private:
  std::uint32_t elementSize_ = 0;
  SampleStorage data_;
  std::uint32_t count_ = 0;
};

}  // namespace sonavel
