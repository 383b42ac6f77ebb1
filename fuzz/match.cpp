// Fuzz target: the wildcard name match. The input is "name NUL pattern";
// without a NUL the whole input is the name and the pattern is empty. The
// pattern stops at its own first NUL, as a C string would.
#include "qar.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const void* nul = std::memchr(text, '\0', size);
  size_t split = nul ? size_t(static_cast<const char*>(nul) - text) : size;
  std::string name(text, split);
  std::string pattern = split < size ? std::string(text + split + 1, size - split - 1) : "";
  QarMatchName(name.c_str(), pattern.c_str());
  return 0;
}
