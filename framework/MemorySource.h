#pragma once

#include <cstddef>

namespace sonavel {

// Where the framework's memory blocks come from: texts handed to callers and, through the
// service entry, the storage of support libraries. Obtain answers null when memory is exhausted.
class MemorySource {
 public:
  virtual ~MemorySource() = default;
  virtual void* Obtain(std::size_t bytes) = 0;
  virtual void Release(void* block) = 0;
};

// The C heap.
MemorySource& SystemMemory();

}  // namespace sonavel
