// The one allocation function of the arithmetic.
//
// Every number block is taken from AllocZeroed and given back with
// FreeBlock. A failed allocation throws ErrOutOfMemory. For tests, the n-th
// allocation from now on can be made to fail, so that every out-of-memory
// path can be walked.
#pragma once

#include <cstddef>
#include <cstdint>

// A zero-filled block of `bytes` bytes; throws ArithError{ErrOutOfMemory}
// when none can be had (or when an injected failure is due).
void* AllocZeroed(std::size_t bytes);

// Releases a block from AllocZeroed; accepts null.
void FreeBlock(void* block) noexcept;

// Test hooks. AllocFailAfter(n) makes the allocation n calls from now fail
// (n = 0: the very next one); AllocFailAfter(-1) turns injection off.
// AllocCount() counts every allocation attempt since start-up.
void AllocFailAfter(int64_t n) noexcept;
uint64_t AllocCount() noexcept;
// Blocks currently allocated and not yet released.
int64_t AllocLiveBlocks() noexcept;
