#include "arith/alloc.h"

#include <atomic>
#include <cstdlib>

#include "arith/error.h"

namespace {
// Only the user-interface thread allocates numbers; atomics keep the test
// hooks well defined should a test call them from elsewhere.
std::atomic<int64_t> failCountdown{-1};
std::atomic<uint64_t> attempts{0};
std::atomic<int64_t> live{0};
}  // namespace

void* AllocZeroed(std::size_t bytes) {
  attempts.fetch_add(1, std::memory_order_relaxed);
  int64_t countdown = failCountdown.load(std::memory_order_relaxed);
  if (countdown >= 0) {
    failCountdown.store(countdown - 1, std::memory_order_relaxed);
    if (countdown == 0) ThrowError(ErrOutOfMemory);
  }
  void* block = std::calloc(1, bytes == 0 ? 1 : bytes);
  if (block == nullptr) ThrowError(ErrOutOfMemory);
  live.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void FreeBlock(void* block) noexcept {
  if (block == nullptr) return;
  live.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

void AllocFailAfter(int64_t n) noexcept {
  failCountdown.store(n < 0 ? -1 : n, std::memory_order_relaxed);
}

uint64_t AllocCount() noexcept { return attempts.load(std::memory_order_relaxed); }

int64_t AllocLiveBlocks() noexcept { return live.load(std::memory_order_relaxed); }
