// Replays the seed corpus of every fuzz target: each file of
// fuzz/corpus/<target>/ through the target's entry function, with every
// broken invariant reported as a test failure naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_engine.h"

namespace {

namespace fs = std::filesystem;

using EntryFn = int (*)(const uint8_t*, size_t);

std::string currentInput;

void RecordFailure(const std::string& what) {
  ADD_FAILURE() << currentInput << ": " << what;
}

std::vector<fs::path> CorpusFiles(const std::string& target) {
  std::vector<fs::path> files;
  const fs::path dir = fs::path(QUIB_FUZZ_CORPUS) / target;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    if (e.is_regular_file()) files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Replays every file; returns how many there were.
size_t Replay(const std::string& target, EntryFn entry) {
  const FuzzFailureFn saved = fuzzFailureHandler;
  fuzzFailureHandler = RecordFailure;
  const std::vector<fs::path> files = CorpusFiles(target);
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    currentInput = target + "/" + file.filename().string();
    SCOPED_TRACE(currentInput);
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    entry(data.data(), data.size());
  }
  fuzzFailureHandler = saved;
  return files.size();
}

TEST(FuzzCorpusReplay, Paste) { EXPECT_GT(Replay("paste", FuzzPaste), 0u); }

TEST(FuzzCorpusReplay, Commands) { EXPECT_GT(Replay("commands", FuzzCommands), 0u); }

TEST(FuzzCorpusReplay, Text) { EXPECT_GT(Replay("text", FuzzText), 0u); }

TEST(FuzzCorpusReplay, CommandLine) {
  EXPECT_GT(Replay("command_line", FuzzCommandLine), 0u);
}

}  // namespace
