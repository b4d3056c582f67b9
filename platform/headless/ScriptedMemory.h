#pragma once

#include <cstddef>
#include <optional>

#include "framework/MemorySource.h"

namespace sonavel::headless {

// The C heap, with failures a test can ask for.
class ScriptedMemory final : public MemorySource {
 public:
  // Requests of at least this many bytes fail.
  void FailFrom(std::size_t bytes) { failFrom_ = bytes; }
  // The request after `successes` more successful ones fails, once.
  void FailAfter(int successes) { failAfter_ = successes; }
  int Outstanding() const { return outstanding_; }

  void* Obtain(std::size_t bytes) override;
  void Release(void* block) override;

 private:
  std::optional<std::size_t> failFrom_;
  std::optional<int> failAfter_;
  int outstanding_ = 0;
};

}  // namespace sonavel::headless
