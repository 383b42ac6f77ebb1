#include "getopt.h"

#include "textfmt.h"

#include <cstring>

GetoptState Getopt;

int getopt(int count, const char* const* words, const char* options) {
  int& index = Getopt.index;
  const char*& position = Getopt.position;
  const char*& argument = Getopt.argument;
  char& switchChar = Getopt.switchChar;
  if (!switchChar)
    switchChar = '/';
  for (;;) {
    if (index >= count)
      break;
    if (!position) {
      const char* word = words[index];
      if (!word)
        break;
      if (word[0] != switchChar) {
        ++index;
        continue;
      }
      position = word + 1;
      if (*position == switchChar) {
        ++index;
        break;
      }
    }
    const char letter = *position++;
    if (letter == '\0') {
      ++index;
      break;
    }
    const char* known = letter == ':' ? nullptr : std::strchr(options, letter);
    if (!known) {
      argument = nullptr;
      return '?';
    }
    if (known[1] == ':') {
      ++index;
      if (*position) {
        argument = position;
      } else if (index < count) {
        argument = words[index++];
      } else {
        argument = nullptr;
        return '?';
      }
      position = nullptr;
      return static_cast<unsigned char>(letter);
    }
    if (*position == '\0') {
      ++index;
      position = nullptr;
    }
    argument = nullptr;
    return static_cast<unsigned char>(letter);
  }
  position = nullptr;
  argument = nullptr;
  return -1;
}

ScannedOptions ScanOptions(int count, const char* const* words) {
  ScannedOptions scanned{false, 0};
  Getopt = GetoptState{};
  for (int letter; (letter = getopt(count, words, "l:L:")) != -1;) {
    if (letter == 'l' || letter == 'L') {
      if (Getopt.argument)
        ScanHex4(Getopt.argument, &scanned.languageId);
      scanned.forced = true;
    }
  }
  return scanned;
}

const char* UserCommandLine(const char* commandLine) {
  const char* at = commandLine;
  if (*at == '"') {
    ++at;
    while (*at && *at != '"')
      ++at;
    if (*at == '"')
      ++at;
  } else {
    while (*at && *at != ' ' && *at != '\t')
      ++at;
  }
  while (*at == ' ' || *at == '\t')
    ++at;
  return at;
}
