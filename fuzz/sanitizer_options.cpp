// AddressSanitizer defaults of the fuzz programs (ASAN_OPTIONS still
// overrides them), chosen for throughput:
// - freed blocks wait in a quarantine of 64 MB instead of 256 MB: the engine
//   allocates a zero-filled block for every intermediate number, and with
//   the larger quarantine a run spent a sixth of its time faulting in fresh
//   pages (16 MB was slower again while fuzzing);
// - allocation and free stacks are not recorded: recording them, even 3
//   frames deep, was a twentieth of the run time (30 frames: a fifth);
// - memory freed stays with the allocator instead of going back to the
//   system every 5 seconds: each give-back (madvise, with its TLB flush)
//   was followed by faulting the same pages in again, a tenth of the run
//   time on a grown corpus.
// A finding replays in a moment, so read it with the full stacks:
//   ASAN_OPTIONS=malloc_context_size=30 build/fuzz/fuzz/paste_fuzz crash-<hash>
extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=64:malloc_context_size=0:allocator_release_to_os_interval_ms=-1";
}
