#include "session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace quibc_test {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

[[noreturn]] void ExecQuibc(const SessionOptions& options) {
  for (const std::string& setting : options.environment) {
    const size_t eq = setting.find('=');
    setenv(setting.substr(0, eq).c_str(), setting.substr(eq + 1).c_str(), 1);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("quibc"));
  for (const std::string& a : options.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(QUIBC_PATH, argv.data());
  _exit(127);
}

}  // namespace

Session::Session(const SessionOptions& options) {
  std::signal(SIGPIPE, SIG_IGN);  // quibc may end before all input is written
  if (options.terminal) {
    winsize size = {};
    size.ws_row = 24;
    size.ws_col = 80;
    int master = -1;
    pid_ = forkpty(&master, nullptr, nullptr, &size);
    if (pid_ == 0) ExecQuibc(options);
    in_ = out_ = master;
  } else {
    int input[2];
    int output[2];
    if (pipe(input) != 0 || pipe(output) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(input[0], 0);
      dup2(output[1], 1);
      dup2(output[1], 2);
      close(input[0]);
      close(input[1]);
      close(output[0]);
      close(output[1]);
      ExecQuibc(options);
    }
    close(input[0]);
    close(output[1]);
    in_ = input[1];
    out_ = output[0];
  }
  if (in_ >= 0) fcntl(in_, F_SETFL, fcntl(in_, F_GETFL) | O_NONBLOCK);
  if (out_ >= 0) fcntl(out_, F_SETFL, fcntl(out_, F_GETFL) | O_NONBLOCK);
}

Session::~Session() {
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (in_ >= 0 && in_ != out_) close(in_);
  if (out_ >= 0) close(out_);
}

bool Session::Read(int timeoutMs) {
  if (outputEnded_) return false;
  pollfd p = {out_, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) <= 0) return true;
  char buffer[65536];
  const ssize_t n = read(out_, buffer, sizeof buffer);
  if (n > 0) {
    output_.append(buffer, static_cast<size_t>(n));
  } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
    outputEnded_ = true;  // a terminal reports EIO once quibc has ended
  }
  return !outputEnded_;
}

void Session::Type(const std::string& bytes) {
  size_t done = 0;
  const auto end = Clock::now() + kPatience;
  while (done < bytes.size() && in_ >= 0 && Clock::now() < end) {
    pollfd p[2] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}};
    if (poll(p, in_ == out_ ? 1 : 2, 100) < 0) continue;
    if (p[0].revents & (POLLERR | POLLHUP)) break;
    if (p[0].revents & POLLOUT) {
      const ssize_t n = write(in_, bytes.data() + done, std::min<size_t>(bytes.size() - done, 4096));
      if (n > 0) done += static_cast<size_t>(n);
      if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    Read(0);
  }
}

void Session::CloseInput() {
  if (in_ >= 0 && in_ != out_) close(in_);
  if (in_ != out_) in_ = -1;
}

void Session::Signal(int signal) {
  if (pid_ > 0 && status_ < 0) kill(pid_, signal);
}

bool Session::WaitFor(const std::string& text, std::chrono::milliseconds patience) {
  const auto end = Clock::now() + patience;
  for (;;) {
    const size_t at = output_.find(text, mark_);
    if (at != std::string::npos) {
      mark_ = at + text.size();
      return true;
    }
    if (Clock::now() >= end) return false;
    if (!Read(std::min(MsLeft(end), 100)) && output_.find(text, mark_) == std::string::npos) {
      return false;
    }
  }
}

void Session::Pause(std::chrono::milliseconds duration) {
  const auto end = Clock::now() + duration;
  while (Clock::now() < end) {
    if (!Read(std::min(MsLeft(end), 50))) usleep(20000);
  }
}

int Session::WaitExit(std::chrono::milliseconds patience) {
  if (pid_ <= 0) return -1;
  const auto end = Clock::now() + patience;
  while (status_ < 0) {
    int raw = 0;
    const pid_t done = waitpid(pid_, &raw, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
      break;
    }
    if (Clock::now() >= end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      status_ = 255;
      return -1;
    }
    if (!Read(50)) usleep(20000);
  }
  while (Read(0)) {
  }
  return status_;
}

void Session::SaveTranscript(const std::string& path, const std::string& title) const {
  // Lines of the terminal, control bytes escaped; the middle of a very long
  // line (a pasted megabyte) is left out.
  constexpr size_t kLongLine = 600;
  std::ofstream file(path, std::ios::app | std::ios::binary);
  file << "==== " << title << " ====\n";
  std::string line;
  auto flush = [&file, &line] {
    if (line.size() > kLongLine) {
      const size_t cut = line.size() - kLongLine / 2;
      line = line.substr(0, kLongLine / 2) + " [... " + std::to_string(cut - kLongLine / 2) +
             " characters ...] " + line.substr(cut);
    }
    file << line << "\n";
    line.clear();
  };
  for (size_t i = 0; i < output_.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(output_[i]);
    if (c == '\r' && i + 1 < output_.size() && output_[i + 1] == '\n') continue;
    if (c == '\n') {
      flush();
    } else if (c >= 0x20 && c < 0x7f) {
      line += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      line += escaped;
    }
  }
  flush();
  file << "\n";
}

}  // namespace quibc_test
