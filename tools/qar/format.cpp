// Times, sizes and texts as the tool prints them.
#include "tool.h"

#include <cstdio>
#include <ctime>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian), so that
// calendar fields become UTC seconds without the C runtime's local zone.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = unsigned(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + int64_t(dayOfEra) - 719468;
}

std::string TimeText(const std::tm* fields, const char* format) {
  if (!fields)
    return "?";
  char text[32];
  std::snprintf(text, sizeof text, format, fields->tm_year + 1900, fields->tm_mon + 1,
                fields->tm_mday, fields->tm_hour, fields->tm_min, fields->tm_sec);
  return text;
}

} // namespace

// The stamp's local calendar reading is the file's time in UTC: that is how
// a writer made it, and how the library gives a file its time back.
int64_t StampToUtc(uint32_t stamp) {
  const std::time_t local = std::time_t(stamp);
  const std::tm* fields = std::localtime(&local);
  if (!fields)
    return stamp;
  return DaysFromCivil(fields->tm_year + 1900, unsigned(fields->tm_mon + 1),
                       unsigned(fields->tm_mday)) *
             86400 +
         fields->tm_hour * 3600 + fields->tm_min * 60 + fields->tm_sec;
}

std::string LocalTimeText(int64_t utc) {
  const std::time_t time = std::time_t(utc);
  return TimeText(std::localtime(&time), "%04d-%02d-%02d %02d:%02d:%02d");
}

std::string UtcTimeText(int64_t utc) {
  const std::time_t time = std::time_t(utc);
  return TimeText(std::gmtime(&time), "%04d-%02d-%02dT%02d:%02d:%02dZ");
}

namespace {

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not one.
size_t Utf8Length(const std::string& text, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0                  ? 3
                        : lead >= 0xC2 && lead <= 0xDF  ? 2
                                                        : 0;
  if (length == 0 || i + length > text.size())
    return 0;
  for (size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
      return 0;
  return length;
}

} // namespace

// Names are bytes of the Windows ANSI code page. UTF-8 sequences pass
// through; any other byte above 0x7F is taken as Latin-1, so that the output
// is always valid JSON.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char escape[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else if (c < 0x80) {
      out += char(c);
    } else if (size_t length = Utf8Length(text, i)) {
      out.append(text, i, length);
      i += length - 1;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    }
  }
  return out + '"';
}

std::string SizeText(uint64_t bytes) {
  static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%u B", unsigned(bytes));
    return text;
  }
  double value = double(bytes) / 1024;
  size_t unit = 0;
  while (value >= 1024 && unit + 1 < sizeof units / sizeof *units) {
    value /= 1024;
    ++unit;
  }
  std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
  return text;
}

std::string MethodName(uint16_t method) {
  switch (method) {
  case QAR_METHOD_STORED:
    return "stored";
  case QAR_METHOD_ZLIB:
    return "zlib";
  default:
    return "method-" + std::to_string(method);
  }
}

// R read-only, H hidden, S system, A archive; a dash for each bit not set.
std::string AttributeLetters(uint32_t attributes) {
  const struct {
    uint32_t bit;
    char letter;
  } bits[] = {{0x01, 'R'}, {0x02, 'H'}, {0x04, 'S'}, {0x20, 'A'}};
  std::string letters;
  for (const auto& b : bits)
    letters += attributes & b.bit ? b.letter : '-';
  return letters;
}

bool HasWildcards(const std::string& pattern) {
  return pattern.find_first_of("*?") != std::string::npos;
}
