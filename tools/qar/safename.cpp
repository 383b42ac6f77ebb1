// Stored names as relative paths that stay inside the folder extracted into.
// An archive may come from anywhere, and the Windows it is unpacked on takes
// both '\' and '/' as separators, so both are, whichever system this is.
#include "tool.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// CON, NUL, COM1 and the like name devices in every folder on Windows, with
// any extension and trailing spaces: writing "x\NUL.txt" writes to no file.
bool NamesDevice(const std::string& part) {
  std::string base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ')
    base.pop_back();
  for (char& c : base)
    c = Upper(c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$")
    return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

} // namespace

bool SplitStoredName(const std::string& name, std::vector<std::string>* parts,
                     std::string* reason) {
  parts->clear();
  if (name.empty()) {
    *reason = "empty name";
    return false;
  }
  if (name[0] == '\\' || name[0] == '/') {
    *reason = "absolute name";
    return false;
  }
  if (name.find(':') != std::string::npos) {
    *reason = "name with a drive or a stream (':')";
    return false;
  }
  size_t start = 0;
  for (;;) {
    const size_t end = name.find_first_of("\\/", start);
    std::string part = name.substr(start, end == std::string::npos ? end : end - start);
    if (part.empty()) {
      *reason = "name with an empty component";
      return false;
    }
    // Windows drops the trailing dots and spaces of a name, so a component
    // of nothing else may turn into "." or ".." there.
    if (part.find_first_not_of(". ") == std::string::npos) {
      *reason = "name with a '.' or '..' component";
      return false;
    }
    if (NamesDevice(part)) {
      *reason = "name of a device (" + part + ")";
      return false;
    }
    parts->push_back(part);
    if (end == std::string::npos)
      return true;
    start = end + 1;
  }
}
