// A running quibc that a test talks to line by line: through pipes, or
// through a pseudo-terminal as a user at a terminal would.
//
// Everything quibc prints is kept (the transcript). Waits are generous, as
// the machine running the tests may be busy: they only bound how long a
// broken quibc can hang a test.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace quibc_test {

constexpr std::chrono::milliseconds kPatience{20000};

struct SessionOptions {
  bool terminal = false;                // a pseudo-terminal, else pipes
  std::vector<std::string> args;        // after the program name
  std::vector<std::string> environment; // NAME=value, added to the test's own
};

class Session {
 public:
  explicit Session(const SessionOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool started() const { return pid_ > 0; }

  // Writes all of `bytes`, reading what quibc prints meanwhile so neither
  // side blocks on a full buffer.
  void Type(const std::string& bytes);
  // Closes quibc's standard input (pipes only).
  void CloseInput();
  void Signal(int signal);

  // Waits until `text` appears in the output after the last match; the
  // next wait searches after this one.
  bool WaitFor(const std::string& text,
               std::chrono::milliseconds patience = kPatience);
  // Reads output for `duration` without looking for anything.
  void Pause(std::chrono::milliseconds duration);
  // Waits for quibc to end; its exit status, 128 + signal when a signal
  // ended it, or -1 when it is still running after the wait (it is killed).
  int WaitExit(std::chrono::milliseconds patience = kPatience);

  const std::string& output() const { return output_; }
  // The output since the last match.
  std::string Unmatched() const { return output_.substr(mark_); }

  // Appends the transcript, readable (control bytes escaped), to `path`.
  void SaveTranscript(const std::string& path, const std::string& title) const;

 private:
  bool Read(int timeoutMs);  // false at the end of the output

  pid_t pid_ = -1;
  int in_ = -1;   // quibc's standard input
  int out_ = -1;  // its standard output (the same fd for a terminal)
  bool outputEnded_ = false;
  int status_ = -1;
  std::string output_;
  size_t mark_ = 0;
};

}  // namespace quibc_test
