// AddressSanitizer defaults of the fuzz programs (ASAN_OPTIONS still
// overrides them). Freed blocks wait in a quarantine of 64 MB instead of
// 256 MB: the engine allocates a zero-filled block for every intermediate
// number, and with the larger quarantine a run spent a sixth of its time
// faulting in fresh pages. Allocation stacks keep their 10 innermost frames
// instead of 30, which is enough to find where a block came from in the
// engine and cheaper to record on every allocation.
extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=64:malloc_context_size=10";
}
