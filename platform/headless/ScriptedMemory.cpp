#include "platform/headless/ScriptedMemory.h"

#include <cstdlib>

namespace sonavel::headless {

void* ScriptedMemory::Obtain(std::size_t bytes) {
  if (failFrom_ && bytes >= *failFrom_)
    return nullptr;
  if (failAfter_) {
    if (*failAfter_ == 0) {
      failAfter_.reset();
      return nullptr;
    }
    --*failAfter_;
  }
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr)
    ++outstanding_;
  return block;
}

void ScriptedMemory::Release(void* block) {
  if (block == nullptr)
    return;
  --outstanding_;
  std::free(block);
}

}  // namespace sonavel::headless
