#include "engine/messages.h"

namespace {

constexpr const char* kEngineStrings[] = {
    "Dword",    // 60: 32-bit words
    "Word",     // 61: 16-bit words
    "Byte",     // 62: 8-bit words
    "Degrees",  // 63
    "Radians",  // 64
    "Grads",    // 65
    // Error messages by index, strings 66 to 73.
    "No data to compute with",                  // 0: mean of an empty store
    "Invalid input",                            // 1: outside the domain
    "Result is undefined",                      // 2: 0 / 0, x mod 0
    "Cannot divide by zero",                    // 3: positive / 0
    "Cannot divide a negative number by zero",  // 4: negative / 0
    "Calculation stopped",                      // 5: aborted by the user
    "Cannot compute the result",                // 6: any other failure
    "Not enough memory",                        // 7: allocation failed
};

static_assert(sizeof(kEngineStrings) / sizeof(kEngineStrings[0]) ==
              kLastEngineString - kFirstEngineString + 1);

}  // namespace

const char* EngineString(int32_t id) {
  if (id < kFirstEngineString || id > kLastEngineString) return nullptr;
  return kEngineStrings[id - kFirstEngineString];
}

const char* ErrorMessage(uint32_t index) {
  if (index >= static_cast<uint32_t>(kErrorMessageCount)) index = 6;
  return EngineString(kFirstErrorString + static_cast<int32_t>(index));
}
