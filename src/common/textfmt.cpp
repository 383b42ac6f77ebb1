#include "textfmt.h"

#include <cctype>
#include <cstdio>
#include <cstring>

std::string FormatText(const char* format, const char* text, int32_t number) {
  std::string out;
  for (const char* at = format; *at; ++at) {
    if (*at != '%') {
      out += *at;
      continue;
    }
    const char* directive = at + 1;
    const char* conversion = *directive == 'l' ? directive + 1 : directive;
    char digits[24];
    switch (*conversion) {
    case '%':
      out += '%';
      at = conversion;
      break;
    case 's':
      out += text ? text : "";
      at = conversion;
      break;
    case 'd':
    case 'i':
      std::snprintf(digits, sizeof digits, "%ld", long(number));
      out += digits;
      at = conversion;
      break;
    case 'u':
      std::snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(uint32_t(number)));
      out += digits;
      at = conversion;
      break;
    case 'x':
    case 'X':
      std::snprintf(digits, sizeof digits, *conversion == 'x' ? "%lx" : "%lX",
                    static_cast<unsigned long>(uint32_t(number)));
      out += digits;
      at = conversion;
      break;
    default: // not ours to interpret: shown as written
      out += '%';
      break;
    }
  }
  return out;
}

void FormatText(char* buffer, size_t size, const char* format, const char* text,
                int32_t number) {
  CopyText(buffer, size, FormatText(format, text, number).c_str());
}

void CopyText(char* buffer, size_t size, const char* text) {
  if (size == 0)
    return;
  size_t length = std::strlen(text);
  if (length >= size)
    length = size - 1;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

bool ScanHex4(const char* text, uint32_t* value) {
  while (*text && std::isspace(static_cast<unsigned char>(*text)))
    ++text;
  uint32_t result = 0;
  int digits = 0;
  for (; digits < 4 && std::isxdigit(static_cast<unsigned char>(text[digits])); ++digits) {
    const char c = text[digits];
    result = result * 16 + uint32_t(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  if (digits)
    *value = result;
  return digits > 0;
}
