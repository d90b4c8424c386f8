#include "console/interrupt.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>

#ifndef _WIN32
#include <pthread.h>
#include <unistd.h>
#include <sys/select.h>
#endif

#include "arith/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

static_assert(std::atomic<bool>::is_always_lock_free,
              "the signal handler may only store lock-free flags");

// Written by the signal handler, read and cleared by the main thread.
std::atomic<bool> interruptPending{false};
std::atomic<bool> resizePending{false};

Clock::time_point graceEnd;  // main thread only

extern "C" void OnInterrupt(int) {
  AbortFlag.store(true, std::memory_order_relaxed);
  interruptPending.store(true, std::memory_order_relaxed);
}

#ifndef _WIN32
extern "C" void OnResize(int) { resizePending.store(true, std::memory_order_relaxed); }

sigset_t HeldSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGWINCH);
  return set;
}
#endif

// The --timeout timer: one thread, started by the first timed line and
// joined at exit.
struct LineTimer {
  std::mutex mutex;
  std::condition_variable wake;
  bool running = false;  // a line is being timed
  bool expired = false;  // its limit was reached
  bool quit = false;
  Clock::time_point deadline;
  std::thread thread;

  ~LineTimer() {
    if (!thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      quit = true;
    }
    wake.notify_all();
    thread.join();
  }
};
LineTimer timer;

// How often an expired line has AbortFlag raised again: a constant rebuild
// inside the line clears the flag and drops an abort that came during it.
constexpr auto kTimerRepeat = std::chrono::milliseconds(100);

void TimerThread() {
#ifndef _WIN32
  // Ctrl-C must reach the main thread, where it can end a wait for input.
  const sigset_t held = HeldSignals();
  pthread_sigmask(SIG_BLOCK, &held, nullptr);
#endif
  std::unique_lock<std::mutex> lock(timer.mutex);
  while (!timer.quit) {
    if (!timer.running) {
      timer.wake.wait(lock);
    } else if (Clock::now() < timer.deadline) {
      timer.wake.wait_until(lock, timer.deadline);
    } else {
      timer.expired = true;
      AbortFlag.store(true, std::memory_order_relaxed);
      timer.wake.wait_for(lock, kTimerRepeat);
    }
  }
}

}  // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
  std::signal(SIGINT, OnInterrupt);
#else
  // pselect is never restarted, so the waits for input still end at a
  // signal; what SA_RESTART restarts is a write of the answers or of --trace
  // lines that a signal would otherwise cut short.
  struct sigaction action = {};
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  action.sa_handler = OnResize;
  sigaction(SIGWINCH, &action, nullptr);
  SetComputingPhase(false);
#endif
}

void SetComputingPhase(bool computing) {
#ifdef _WIN32
  (void)computing;
#else
  // A resize waits for the next read; only Ctrl-C matters while computing.
  sigset_t set = HeldSignals();
  if (computing) {
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
  }
  sigprocmask(computing ? SIG_UNBLOCK : SIG_BLOCK, &set, nullptr);
#endif
}

bool TakeInterrupt() { return interruptPending.exchange(false); }

void StartInterruptGrace() {
  graceEnd = Clock::now() + std::chrono::milliseconds(kInterruptGraceMs);
}

bool AbsorbInterrupt() {
  if (Clock::now() >= graceEnd) return false;
  StartInterruptGrace();
  return true;
}

bool TakeResize() { return resizePending.exchange(false); }

InputWait WaitForInput(int fd) {
  if (interruptPending.load()) return InputWait::Interrupted;
  if (resizePending.load()) return InputWait::Resized;
#ifdef _WIN32
  (void)fd;
  return InputWait::Ready;
#else
  // The held signals are blocked here; pselect lets them in for the wait
  // only, so one that arrived since the checks above ends the wait at once.
  sigset_t during;
  sigprocmask(SIG_BLOCK, nullptr, &during);
  sigdelset(&during, SIGINT);
  sigdelset(&during, SIGWINCH);
  for (;;) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    const int n = pselect(fd + 1, &readable, nullptr, nullptr, nullptr, &during);
    if (n > 0) return InputWait::Ready;
    if (interruptPending.load()) return InputWait::Interrupted;
    if (resizePending.load()) return InputWait::Resized;
    if (n < 0 && errno != EINTR) return InputWait::Failed;
  }
#endif
}

InputByte ReadInputByte(unsigned char& byte) {
  static unsigned char buffer[4096];
  static size_t pos = 0;
  static size_t size = 0;
  while (pos == size) {
#ifdef _WIN32
    const int c = std::getc(stdin);
    if (c == EOF) return TakeInterrupt() ? InputByte::Interrupted : InputByte::End;
    byte = static_cast<unsigned char>(c);
    return InputByte::Byte;
#else
    switch (WaitForInput(STDIN_FILENO)) {
      case InputWait::Interrupted:
        return InputByte::Interrupted;
      case InputWait::Resized:
        return InputByte::Resized;
      case InputWait::Failed:
        return InputByte::End;
      case InputWait::Ready:
        break;
    }
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return InputByte::End;
    pos = 0;
    size = n > 0 ? static_cast<size_t>(n) : 0;
#endif
  }
  byte = buffer[pos++];
  return InputByte::Byte;
}

void LineTimerStart(int64_t ms) {
  if (ms <= 0) return;
  {
    std::lock_guard<std::mutex> lock(timer.mutex);
    timer.running = true;
    timer.expired = false;
    timer.deadline = Clock::now() + std::chrono::milliseconds(ms);
    if (!timer.thread.joinable()) timer.thread = std::thread(TimerThread);
  }
  timer.wake.notify_all();
}

bool LineTimerStop() {
  std::lock_guard<std::mutex> lock(timer.mutex);
  const bool expired = timer.running && timer.expired;
  timer.running = false;
  timer.expired = false;
  return expired;
}
