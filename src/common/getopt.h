// The bootstrap's option scanner: /L (or /l) with a hexadecimal language
// identifier, read from the argument words in the manner of the classic
// getopt with "/" as the switch character.
#pragma once

#include <cstdint>

// The scanner's state, one set for the process, kept between calls;
// ScanOptions starts it afresh.
struct GetoptState {
  int index = 1;                    // the word being read, or to be read next
  const char* position = nullptr;   // in that word; null between words
  char switchChar = 0;              // "/" from the first call on
  const char* argument = nullptr;   // of the option just returned
};
extern GetoptState Getopt;

// The next option letter, '?' for an unknown letter or a missing argument,
// or -1 when the options end. The words are const, unlike the C library's
// scanner of the same name, so that the two never meet in one overload set.
int getopt(int count, const char* const* words, const char* options);

struct ScannedOptions {
  bool forced;         // a language was named
  uint32_t languageId; // the last one named, when forced
};
ScannedOptions ScanOptions(int count, const char* const* words);

// The user's command line: the full command line less the program name (a
// quoted name runs to its closing quote) and the blanks and tabs after it.
const char* UserCommandLine(const char* commandLine);
