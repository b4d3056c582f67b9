#pragma once

#include <cstddef>
#include <mutex>
#include <optional>

#include "framework/MemorySource.h"

namespace sonavel::headless {

// The C heap, with failures a test can ask for. Capture threads obtain storage while the test
// thread scripts failures, so every member is guarded by one mutex.
class ScriptedMemory final : public MemorySource {
 public:
  // Requests of at least this many bytes fail.
  void FailFrom(std::size_t bytes);
  // The request after `successes` more successful ones fails, once.
  void FailAfter(int successes);
  // Every request fails from now on, or none does again.
  void FailAll(bool fail);
  int Outstanding() const;

  void* Obtain(std::size_t bytes) override;
  void Release(void* block) override;

 private:
  mutable std::mutex mutex_;
  std::optional<std::size_t> failFrom_;
  std::optional<int> failAfter_;
  bool failAll_ = false;
  int outstanding_ = 0;
};

}  // namespace sonavel::headless
