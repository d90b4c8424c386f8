#include "arith/alloc.h"

#include <atomic>
#include <cstdlib>

#include "arith/error.h"

namespace {
// Only one thread computes at a time (the user-interface thread, or the
// main thread of quibc and the tests), so the counts are kept with plain
// loads and stores: a read-modify-write with a lock on every block cost
// about a tenth of a short key. They stay atomics so that a test hook read
// from another thread is still well defined.
std::atomic<int64_t> failCountdown{-1};
std::atomic<uint64_t> attempts{0};
std::atomic<int64_t> live{0};
}  // namespace

void* AllocZeroed(std::size_t bytes) {
  attempts.store(attempts.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  int64_t countdown = failCountdown.load(std::memory_order_relaxed);
  if (countdown >= 0) {
    failCountdown.store(countdown - 1, std::memory_order_relaxed);
    if (countdown == 0) ThrowError(ErrOutOfMemory);
  }
  void* block = std::calloc(1, bytes == 0 ? 1 : bytes);
  if (block == nullptr) ThrowError(ErrOutOfMemory);
  live.store(live.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  return block;
}

void FreeBlock(void* block) noexcept {
  if (block == nullptr) return;
  live.store(live.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
  std::free(block);
}

void AllocFailAfter(int64_t n) noexcept {
  failCountdown.store(n < 0 ? -1 : n, std::memory_order_relaxed);
}

uint64_t AllocCount() noexcept { return attempts.load(std::memory_order_relaxed); }

int64_t AllocLiveBlocks() noexcept { return live.load(std::memory_order_relaxed); }
