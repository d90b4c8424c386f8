// Runs the quibc binary and checks its output and exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "quib_version.h"

namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// quibc with the arguments, `input` on standard input.
Result RunQuibc(const std::vector<std::string>& args, const std::string& input = "") {
  // One file pair per test process: CTest runs the tests in parallel.
  const std::string base = ::testing::TempDir() + "quibc_test_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                           "_" + std::to_string(getpid());
  {
    std::ofstream in(base + ".in", std::ios::binary);
    in << input;
  }
  std::string command = Quote(QUIBC_PATH);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " < " + Quote(base + ".in") + " 2> " + Quote(base + ".err");
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = ReadFile(base + ".err");
  std::remove((base + ".in").c_str());
  std::remove((base + ".err").c_str());
  return r;
}

TEST(QuibcTest, PrintsWhatCopyGives) {
  struct Case {
    std::vector<std::string> args;
    const char* out;
    int status;
  };
  const Case cases[] = {
      {{"12+3="}, "15\n", 0},
      {{"--standard", "2+3*4="}, "20\n", 0},
      {{"--scientific", "2+3*4="}, "14\n", 0},
      {{"1/0="}, "Cannot divide by zero\n", 1},
      {{"--display", "12+3="}, "15.\n", 0},
      {{"2+3=", "=", "7*6="}, "5\n8\n42\n", 0},
      {{"-5*2="}, "-10\n", 0},
      {{"--", "--5"}, "5\n", 0},  // a TEXT after "--"
      {{":5 FF+1="}, "100\n", 0},
      {{"1/0=", "2"}, "Cannot divide by zero\nCannot divide by zero\n", 1},
      {{"--keys", "126 92 127 112"}, "5\n", 0},
      {{"--keys", "125 90 124 112", "81"}, "Cannot divide by zero\n0\n", 0},
      {{"--keys", "4294967295 0 7 401 403 150 129"}, "5\n", 0},
      {{"--keys", ""}, "0\n", 0},
      // Function keys and the statistics box.
      {{"30S", "I0.5S"}, "0.5\n30\n", 0},
      {{"--standard", "200+10%="}, "220\n", 0},
      {{"1:9!"}, "Invalid input\n", 1},
      {{":S 2\\4\\4\\4\\5\\5\\7\\9\\ :T"}, "40\n", 0},
      {{":S 2\\4\\4\\4\\5\\5\\7\\9\\", ":A", "I:D", "I:T"}, "9\n5\n2\n232\n", 0},
      {{"7\\:T"}, "7\n", 0},  // no box: Dat and Sum beep
      {{":S:A"}, "No data to compute with\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Result r = RunQuibc(c.args);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, "");
  }
}

// The same keys as the window's test of a layout switch with the statistics
// box open: 2, Sta, Dat in the standard layout; the scientific layout keeps
// the box, so 4, Dat, Ave give the mean of both.
TEST(QuibcTest, LayoutSwitchWithTheStatisticsBoxOpen) {
  const Result r =
      RunQuibc({"--standard", "--keys", "126 84 121", "303 128 121 118", "131 94 126 112"});
  EXPECT_EQ(r.out, "2\n3\n1\n");  // 7 Mod 2 in the scientific layout
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

// Function results are stored as shown, so identities typed through quibc
// come out exact at both precisions (each line starts with C and degrees).
TEST(QuibcTest, FunctionIdentitiesAreExact) {
  const char* const lines[] = {
      "4I@-2=",     "1000L-3=",   "30S-0.5=",  "45T-1=",     "27I#-3=",
      "1X40:9L",    "60O-0.5=",   ":3P/4=T-1=", "0.5IS",     "0IO",
      "1IT",        "16Y0.25=",   "8IY3=",     "2IL",        "0IN",
      "3INN-3=",    ":4 50T",     ":4 100S",   "50000:9HT",  "2:9HS+2HS=",
  };
  const char* const want =
      "0\n0\n0\n0\n0\n-40\n0\n0\n30\n90\n45\n2\n2\n100\n1\n0\n1\n1\n-1\n0\n";
  for (const char* precision : {"32", "64"}) {
    SCOPED_TRACE(precision);
    std::string input;
    for (const char* line : lines) input += std::string("Q:2") + line + "\n";
    const Result r = RunQuibc({"--precision", precision}, input);
    EXPECT_EQ(r.out, want);
    EXPECT_EQ(r.status, 0);
  }
}

TEST(QuibcTest, TraceShowsEveryCommandWithItsFlags) {
  const Result r = RunQuibc({"--trace", "--keys", "125 90 124 112 129"});
  EXPECT_EQ(r.out,
            "125\t1.\t\n"
            "90\t1.\t\n"
            "124\t0.\t\n"
            "112\tCannot divide by zero\tlocked\n"
            "129\tCannot divide by zero\tbeep locked\n"
            "Cannot divide by zero\n");
  EXPECT_EQ(r.status, 1);

  const Result paren = RunQuibc({"--trace", "5:m1+2*(I3"});
  EXPECT_EQ(paren.out,
            "129\t5.\t\n"
            "115\t5.\tM\n"
            "125\t1.\tM\n"
            "92\t1.\tM\n"
            "126\t2.\tM\n"
            "91\t2.\tM\n"
            "122\t(\tM (=1\n"
            "144\t(\tinv M (=1\n"
            "127\t3.\tinv M (=1\n"
            "301\t3.\tinv M (=1\n"
            "3\n");
  // The paste's own line shows no beep of the keys it sent.
  const Result beeps = RunQuibc({"--trace", "A"});
  EXPECT_EQ(beeps.out, "134\t0.\tbeep\n301\t0.\t\n0\n");
}

TEST(QuibcTest, ReadsStandardInputLineByLine) {
  const Result r = RunQuibc({}, "2+3=\n=\r\n\n7*6=\n1/0=");
  EXPECT_EQ(r.out, "5\n8\n8\n42\nCannot divide by zero\n");
  EXPECT_EQ(r.status, 1);

  const Result display = RunQuibc({"--display"}, "15\n");
  EXPECT_EQ(display.out, "15.\n");
}

TEST(QuibcTest, PrecisionOption) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"--precision", "10", "1/3="}, "0." + std::string(11, '3') + "\n"},
      {{"--precision=20", "2/3="}, "0." + std::string(20, '6') + "7\n"},
      {{"--precision", "100", "1/3="}, "0." + std::string(65, '3') + "\n"},
      {{"--precision", "99999999999999999999999", "1/3="},
       "0." + std::string(65, '3') + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Result r = RunQuibc(c.args);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, 0);
  }
}

TEST(QuibcTest, BadUsage) {
  const std::vector<std::string> cases[] = {
      {"--foo"},
      {"--precision"},
      {"--precision", "abc", "1"},
      {"--precision", "-5", "1"},
      {"--precision="},
      {"--standard", "--scientific", "1"},
      {"--keys", "1 2 x"},
      {"--keys", "4294967296"},
      {"--keys", "-1"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Result r = RunQuibc(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("quibc: "), std::string::npos);
    EXPECT_NE(r.err.find("Usage: quibc"), std::string::npos);
  }
}

TEST(QuibcTest, Help) {
  for (const char* option : {"--help", "-h"}) {
    const Result r = RunQuibc({option});
    EXPECT_EQ(r.status, 0);
    for (const char* word : {"Usage: quibc", "--standard", "--scientific",
                             "--precision", "--display", "--trace", "--keys",
                             "Exit status"}) {
      EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
  }
}

TEST(QuibcTest, LongAndGarbageInput) {
  // A line beyond the limit is skipped with a message; the others run.
  std::string input = std::string(70000, '1') + "\n2+2=\n";
  Result r = RunQuibc({}, input);
  EXPECT_EQ(r.out, "4\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 1 is longer than 65536 bytes"), std::string::npos);

  r = RunQuibc({std::string(70000, '1')});
  EXPECT_EQ(r.status, 2);

  // Every byte value, NUL included: a clear result, never a crash.
  std::string garbage;
  for (int round = 0; round < 20; ++round) {
    for (int b = 0; b < 256; ++b) {
      garbage += static_cast<char>((b * 37 + round * 11) % 256);
    }
  }
  r = RunQuibc({}, garbage);
  EXPECT_LT(r.status, 2);
  EXPECT_FALSE(r.out.empty());
  r = RunQuibc({"--keys"}, garbage);
  EXPECT_LE(r.status, 2);
}

TEST(QuibcTest, AnErrorEndsItsLineNotTheInput) {
  struct Case {
    std::vector<std::string> args;
    const char* input;
    const char* out;
    int status;
  };
  const Case cases[] = {
      {{}, "1/0=\n2+3=\n", "Cannot divide by zero\n5\n", 0},
      // Memory, statistics and radix outlive the error.
      {{}, "5:m 1/0=\n:r+1=\n", "Cannot divide by zero\n6\n", 0},
      {{}, ":S 2\\4\\\n1/0=\n:T\n", "4\nCannot divide by zero\n6\n", 0},
      {{}, ":5 FF\n1/0=\nF+1=\n", "FF\nCannot divide by zero\n10\n", 0},
      // The status is that of the last line; an empty line keys nothing
      // and shows the error again.
      {{}, "2+3=\n1/0=\n", "5\nCannot divide by zero\n", 1},
      {{}, "1/0=\n\n", "Cannot divide by zero\nCannot divide by zero\n", 1},
      {{"--keys"}, "125 90 124 112\n126 92 127 112\n", "Cannot divide by zero\n5\n", 0},
      // TEXT arguments are one calculation: the lock stays until C.
      {{"1/0=", "2"}, "", "Cannot divide by zero\nCannot divide by zero\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) + " " + c.input);
    const Result r = RunQuibc(c.args, c.input);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.status, c.status);
  }
}

TEST(QuibcTest, TimeoutAndVersionOptions) {
  // A TEXT that runs too long is stopped; the TEXTs after it find the lock.
  Result r = RunQuibc({"--timeout", "0.5", "100000000!", "5"});
  EXPECT_EQ(r.out, "Calculation stopped\nCalculation stopped\n");
  EXPECT_EQ(r.status, 1);
  r = RunQuibc({"--timeout=1", "12+3="});
  EXPECT_EQ(r.out, "15\n");

  for (const char* bad : {"0", "0.0001", "abc", "-1", "1e3", "", ".", "1.2.3"}) {
    SCOPED_TRACE(bad);
    r = RunQuibc({"--timeout", bad, "1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--timeout"), std::string::npos);
  }

  r = RunQuibc({"--version"});
  EXPECT_EQ(r.out, std::string("quibc ") + QUIB_VERSION_STRING + "\n");
  EXPECT_EQ(r.status, 0);
}

}  // namespace
