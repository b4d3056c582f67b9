#include "framework/MemorySource.h"

#include <cstdlib>

namespace sonavel {
namespace {

class HeapMemory final : public MemorySource {
 public:
  void* Obtain(std::size_t bytes) override { return std::malloc(bytes == 0 ? 1 : bytes); }
  void Release(void* block) override { std::free(block); }
};

}  // namespace

MemorySource& SystemMemory() {
  static HeapMemory heap;
  return heap;
}

}  // namespace sonavel
