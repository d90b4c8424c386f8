// The command line and the profile setting of the layout.
//
// The options are P (precision), R (radix) and W (word size in bits), each a
// letter of either case followed by optional ":", blanks or tabs and a run of
// decimal digits. No switch character is needed: /P40, -p40 and p40 are the
// same. After a number the scan steps over one more character before it
// looks for the next option letter, so /P40/R16 sets both and /P40R16 only
// the precision. The program name (the first word, which may be quoted) is
// skipped.
#pragma once

#include <cstdint>

struct CommandLineOptions {
  int32_t precision;
  int32_t radix;
  int32_t wordBits;
};

// Reads a run of decimal digits at `text` into `value` and returns the
// position of the first non-digit. No digits give 0. A value above
// INT32_MAX stays at INT32_MAX instead of wrapping, so an oversized number
// can never turn into a different, valid setting.
const char* ReadDecimal(const char* text, int32_t& value);

// Applies the options found in a whole command line (program name first) to
// `options`: P above 64 becomes 64; R is clamped to 2..16; W is taken as it
// is. Options not given keep their values. Multi-byte characters are passed
// over whole (CharNextA on Windows;
// elsewhere each byte is one character).
void ParseCommandLineText(const char* commandLine, CommandLineOptions& options);

// ParseCommandLineText of the process's command line into `settings`
// (arith/settings.h). Windows only.
void ParseCommandLine();

// The layout a profile value of "layout" selects: 0 (scientific) for a
// number whose value is 0 ("0", " 0 ", "00"), otherwise 1 (standard), which
// is also the default for a missing or unreadable value.
int32_t ParseLayoutSetting(const char* text);
