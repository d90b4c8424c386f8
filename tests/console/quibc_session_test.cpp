// quibc as a session: lines answered as they come, through pipes and at a
// terminal (a pseudo-terminal standing in for the user), with Ctrl-C,
// --timeout, the line editor and its history. The terminal transcripts are
// kept in the build tree (tests/console/artifacts/).
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "session.h"

namespace {

using namespace std::chrono_literals;
using quibc_test::Session;
using quibc_test::SessionOptions;

// Ctrl-C presses closer together than this count as one (quibc absorbs the
// repeats); tests that mean a new press wait longer.
constexpr auto kAfterGrace = 800ms;
// libedit shows the prompt a moment before it takes the terminal over; a
// key typed in between reaches the terminal's own line editing instead (a
// user cannot type that fast).
constexpr auto kPromptSettles = 200ms;

std::string TestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class QuibcSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "quibc_session_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    std::filesystem::create_directories(QUIBC_ARTIFACTS);
    transcript_ = std::string(QUIBC_ARTIFACTS) + "/" + TestName() + ".txt";
    std::filesystem::remove(transcript_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The environment of a user at a terminal whose home and state directory
  // are this test's own.
  SessionOptions Options(bool terminal, std::vector<std::string> args = {}) {
    SessionOptions o;
    o.terminal = terminal;
    o.args = std::move(args);
    o.environment = {"TERM=xterm", "LC_ALL=C", "HOME=" + dir_,
                     "XDG_STATE_HOME=" + dir_ + "/state"};
    return o;
  }
  std::string HistoryFile() const { return dir_ + "/state/quibc/history"; }
  // Files beside the history: a temporary file left behind is a fault.
  size_t FilesInHistoryDirectory() const {
    size_t n = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(dir_ + "/state/quibc")) {
      (void)entry;
      ++n;
    }
    return n;
  }
  void Keep(const Session& session, const std::string& title) const {
    session.SaveTranscript(transcript_, title);
  }

  // Starts quibc at a terminal and waits for its first prompt.
  void WaitForPrompt(Session& s) {
    ASSERT_TRUE(s.started());
    ASSERT_TRUE(s.WaitFor("> ")) << s.output();
    s.Pause(kPromptSettles);
  }
  // Types a line and waits for its answer and the next prompt.
  void Expect(Session& s, const std::string& typed, const std::string& answer) {
    s.Type(typed);
    EXPECT_TRUE(s.WaitFor("\r\n" + answer + "\r\n> "))
        << "typed " << typed << "\nunmatched: " << s.Unmatched();
    s.Pause(kPromptSettles);
  }

  std::string dir_;
  std::string transcript_;
};

// --- through pipes ---

TEST_F(QuibcSessionTest, PipeAnswersEachLineBeforeTheNextArrives) {
  Session s(Options(false));
  ASSERT_TRUE(s.started());
  // quibc is sent the next line only after it has answered this one.
  s.Type("2+3=\n");
  EXPECT_TRUE(s.WaitFor("5\n")) << s.output();
  s.Type("1/0=\n");
  EXPECT_TRUE(s.WaitFor("Cannot divide by zero\n")) << s.output();
  s.Type("7*6=");  // the last line has no line feed
  s.CloseInput();
  EXPECT_EQ(s.WaitExit(), 0);
  EXPECT_EQ(s.output(), "5\nCannot divide by zero\n42\n");
}

TEST_F(QuibcSessionTest, CtrlCStopsAPipedRun) {
  // Without a terminal Ctrl-C ends the run as it ends a script: the key
  // running is stopped and the lines after it are not read.
  Session s(Options(false));
  ASSERT_TRUE(s.started());
  s.Type("5:m\n100000000!\n2+3=\n");
  ASSERT_TRUE(s.WaitFor("5\n"));
  s.Pause(300ms);
  s.Signal(SIGINT);
  EXPECT_EQ(s.WaitExit(), 1);
  EXPECT_EQ(s.output(), "5\nCalculation stopped\n");
}

TEST_F(QuibcSessionTest, TimeoutStopsOnlyTheLongLine) {
  Session s(Options(false, {"--timeout", "0.5"}));
  ASSERT_TRUE(s.started());
  s.Type("5:m :S 2\\4\\\n100000000!\n:r+1=\n:T\n");
  s.CloseInput();
  EXPECT_EQ(s.WaitExit(), 0);
  // Memory and the statistics survive the stopped line.
  EXPECT_EQ(s.output(), "4\nCalculation stopped\n6\n6\n");
}

// --- at a terminal ---

TEST_F(QuibcSessionTest, TerminalAnswersEachLineAndErrorsEndOnlyTheirLine) {
  Session s(Options(true));
  WaitForPrompt(s);
  Expect(s, "2+3=\r", "5");
  Expect(s, "1/0=\r", "Cannot divide by zero");
  Expect(s, "2+3=\r", "5");
  Expect(s, "=\r", "8");
  Expect(s, "1/0=\r", "Cannot divide by zero");
  s.Type("\x04");  // Ctrl-D
  // The last line ended in an error.
  EXPECT_EQ(s.WaitExit(), 1);
  Keep(s, "errors end their line");
}

TEST_F(QuibcSessionTest, UpRecallsLinesAndTheHistoryOutlivesTheSession) {
  {
    Session s(Options(true));
    WaitForPrompt(s);
    Expect(s, "7*6=\r", "42");
    Expect(s, "1+1=\r", "2");
    Expect(s, "\x1b[A\x1b[A\r", "42");  // Up twice: 7*6=
    s.Type("\x04");
    EXPECT_EQ(s.WaitExit(), 0);
    Keep(s, "first session");
  }
  const std::string history = ReadFile(HistoryFile());
  EXPECT_NE(history.find("7*6="), std::string::npos) << history;
  EXPECT_NE(history.find("1+1="), std::string::npos) << history;
  EXPECT_EQ(FilesInHistoryDirectory(), 1u);
  {
    Session s(Options(true));
    WaitForPrompt(s);
    // The history is 7*6=, 1+1=, 7*6=: two steps back is 1+1=.
    Expect(s, "\x1b[A\x1b[A\r", "2");
    s.Type("\x04");
    EXPECT_EQ(s.WaitExit(), 0);
    Keep(s, "second session");
  }
}

TEST_F(QuibcSessionTest, CtrlCStopsALongKeyAndTheSessionGoesOn) {
  Session s(Options(true));
  WaitForPrompt(s);
  Expect(s, "5:m :S 2\\4\\\r", "4");
  s.Type("100000000!\r");  // n! of 10^8 would run for a very long time
  ASSERT_TRUE(s.WaitFor("100000000!"));
  s.Pause(300ms);
  s.Type("\x03");
  EXPECT_TRUE(s.WaitFor("Calculation stopped\r\n> ", 5000ms)) << s.Unmatched();
  s.Pause(kAfterGrace);
  Expect(s, ":r+1=\r", "6");  // memory kept
  Expect(s, ":T\r", "6");     // statistics kept
  s.Pause(kAfterGrace);
  s.Type("\x03");  // on the empty prompt: the end
  EXPECT_EQ(s.WaitExit(), 0);
  Keep(s, "Ctrl-C stops a long key");
}

TEST_F(QuibcSessionTest, CtrlCDropsATypedLine) {
  Session s(Options(true));
  WaitForPrompt(s);
  s.Type("12+");
  ASSERT_TRUE(s.WaitFor("12+"));
  s.Type("\x03");
  EXPECT_TRUE(s.WaitFor("^C\r\n> ")) << s.Unmatched();
  s.Pause(kAfterGrace);
  // Had 12+ stayed, this would give 17.
  Expect(s, "2+3=\r", "5");
  s.Type("\x04");
  EXPECT_EQ(s.WaitExit(), 0);
  Keep(s, "Ctrl-C drops a typed line");
}

TEST_F(QuibcSessionTest, BadInputLeavesAWorkingSession) {
  Session s(Options(true));
  WaitForPrompt(s);
  Expect(s, "2+3=\r", "5");

  // Bytes that are no text (control characters that the terminal turns
  // into signals or flow control left out).
  std::string binary;
  for (int b = 0x80; b <= 0xff; ++b) binary += static_cast<char>(b);
  binary += "\x01\x02\x05\x06\x07\x0b";
  s.Type(binary + "\r");
  EXPECT_TRUE(s.WaitFor("\r\n> ")) << s.Unmatched();
  s.Pause(kPromptSettles);
  Expect(s, "2+3=\r", "5");

  // A 1 MB line is skipped with a message.
  s.Type(std::string(1 << 20, '1') + "\r");
  EXPECT_TRUE(s.WaitFor("longer than 65536 bytes, skipped", 120000ms)) << s.Unmatched();
  ASSERT_TRUE(s.WaitFor("> "));
  s.Pause(kPromptSettles);
  Expect(s, "2+3=\r", "5");

  // A long line pasted and dropped with Ctrl-C while it is still arriving
  // (the terminal throws away what was not read yet).
  std::string longLine;
  for (int i = 0; i < 10000; ++i) longLine += "1+";
  s.Type(longLine);
  s.Type("\x03");
  EXPECT_TRUE(s.WaitFor("^C\r\n> ")) << s.Unmatched();
  s.Pause(kAfterGrace);
  // The same line pasted whole, ending in a long key, and a storm of Ctrl-C
  // while it computes: the presses after the one that stops it are absorbed.
  s.Type(longLine + "100000000!\r");
  ASSERT_TRUE(s.WaitFor("100000000!"));
  for (int i = 0; i < 50; ++i) {
    s.Type("\x03");
    s.Pause(10ms);
  }
  EXPECT_TRUE(s.WaitFor("Calculation stopped\r\n> ")) << s.Unmatched();
  s.Pause(kAfterGrace);
  Expect(s, "2+3=\r", "5");
  s.Type("\x04");
  // The skipped line makes the status 2.
  EXPECT_EQ(s.WaitExit(), 2);
  Keep(s, "bad input");

  const std::string history = ReadFile(HistoryFile());
  EXPECT_EQ(history.rfind("_HiStOrY_V2_\n", 0), 0u) << history.substr(0, 200);
  EXPECT_NE(history.find("2+3="), std::string::npos);
  EXPECT_EQ(FilesInHistoryDirectory(), 1u);
}

}  // namespace
