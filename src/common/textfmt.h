// Formatting with texts that come from a language module or the language
// table. Such a text is data, not code: it may hold any directive. These
// formatters understand only what the contract promises (%s, one integer
// directive, %%) and copy every other directive as it stands, so that a
// faulty module can neither crash the program nor read its memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// format with each %s replaced by text and each integer directive (%d, %i,
// %u, %ld, %lu, %x, %X) by number; "%%" gives "%".
std::string FormatText(const char* format, const char* text, int32_t number = 0);

// The same into a buffer of the given size, cut to fit.
void FormatText(char* buffer, size_t size, const char* format, const char* text,
                int32_t number = 0);

// Copies text into buffer, cut to size - 1 characters.
void CopyText(char* buffer, size_t size, const char* text);

// Reads a language identifier as "%04lX" does: white space skipped, then at
// most four hexadecimal digits of either case. False, with value unchanged,
// when no digit could be read.
bool ScanHex4(const char* text, uint32_t* value);
