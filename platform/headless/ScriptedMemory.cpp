#include "platform/headless/ScriptedMemory.h"

#include <cstdlib>

namespace sonavel::headless {

void ScriptedMemory::FailFrom(std::size_t bytes) {
  const std::scoped_lock lock(mutex_);
  failFrom_ = bytes;
}

void ScriptedMemory::FailAfter(int successes) {
  const std::scoped_lock lock(mutex_);
  failAfter_ = successes;
}

void ScriptedMemory::FailAll(bool fail) {
  const std::scoped_lock lock(mutex_);
  failAll_ = fail;
}

int ScriptedMemory::Outstanding() const {
  const std::scoped_lock lock(mutex_);
  return outstanding_;
}

void* ScriptedMemory::Obtain(std::size_t bytes) {
  const std::scoped_lock lock(mutex_);
  if (failAll_ || (failFrom_ && bytes >= *failFrom_))
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
  const std::scoped_lock lock(mutex_);
  --outstanding_;
  std::free(block);
}

}  // namespace sonavel::headless
