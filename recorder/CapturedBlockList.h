#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "recorder/SampleBuffer.h"

namespace sonavel {

// The blocks of a recording in the order the device handed their buffers back. A block is never
// changed once filled and never removed singly. A deque: appending never moves earlier blocks.
class CapturedBlockList {
 public:
  // A new empty block at the tail.
  SampleBuffer& Append() { return blocks_.emplace_back(); }
  // Destroys every block, head to tail.
  void Clear() { blocks_.clear(); }

  std::size_t Size() const { return blocks_.size(); }
  auto begin() const { return blocks_.cbegin(); }
  auto end() const { return blocks_.cend(); }

 private:
  std::deque<SampleBuffer> blocks_;
};

}  // namespace sonavel
