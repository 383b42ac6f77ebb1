// Short (8.3) names, made per folder as Windows makes them: a name that is
// already a valid 8.3 name keeps it, in upper case; any other loses its
// spaces and inner dots, has characters that 8.3 names cannot hold replaced
// by '_', and becomes the first letters of its name, "~N" and the first three
// letters of its extension, with N the lowest number no other name in the
// folder holds ("Read me.txt" is README~1.TXT, "Program Files" PROGRA~1).
#include "tool.h"

#include <map>
#include <set>

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded)
    c = Upper(c);
  return folded;
}

bool Allowed83(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
    return true;
  for (const char* special = "!#$%&'()-@^_`{}~"; *special; ++special)
    if (c == *special)
      return true;
  return false;
}

bool IsValid83(const std::string& name) {
  const size_t dot = name.find('.');
  const std::string base = name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || extension.size() > 3 ||
      (dot != std::string::npos && extension.empty()))
    return false;
  for (char c : base + extension)
    if (!Allowed83(c))
      return false;
  return true;
}

// Upper case, without spaces and dots, each character 8.3 names lack as '_'.
std::string Cleaned(const std::string& text) {
  std::string cleaned;
  for (char c : text)
    if (c != ' ' && c != '.')
      cleaned += Allowed83(c) ? Upper(c) : '_';
  return cleaned;
}

std::string Generated(const std::string& name, const std::set<std::string>& taken) {
  const size_t first = name.find_first_not_of('.'); // ".profile" has no extension
  const std::string rest = first == std::string::npos ? "" : name.substr(first);
  const size_t dot = rest.rfind('.');
  const std::string base = Cleaned(rest.substr(0, dot));
  const std::string extension =
      dot == std::string::npos ? "" : Cleaned(rest.substr(dot + 1)).substr(0, 3);
  for (unsigned n = 1;; ++n) {
    const std::string tail = "~" + std::to_string(n);
    std::string candidate = base.substr(0, 8 - tail.size()) + tail;
    if (!extension.empty())
      candidate += "." + extension;
    if (!taken.count(candidate))
      return candidate;
  }
}

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = path.find('\\', start)) != std::string::npos; start = end + 1)
    parts.push_back(path.substr(start, end - start));
  parts.push_back(path.substr(start));
  return parts;
}

struct Folder {
  std::map<std::string, std::string> shortOf; // folded long name -> short name
  std::set<std::string> taken;
};

} // namespace

std::vector<std::string> ShortNames(const std::vector<std::string>& longNames) {
  std::map<std::string, Folder> folders; // by folded long path of the folder
  auto walk = [&](const std::string& path, auto&& visit) {
    std::string folder;
    for (const std::string& part : Components(path)) {
      visit(folders[Folded(folder)], part);
      folder += (folder.empty() ? "" : "\\") + part;
    }
  };
  // Names that are valid 8.3 names are theirs before any is made up.
  for (const std::string& path : longNames)
    walk(path, [](Folder& folder, const std::string& part) {
      if (IsValid83(part) && folder.taken.insert(Folded(part)).second)
        folder.shortOf[Folded(part)] = Folded(part);
    });

  std::vector<std::string> shortNames;
  for (const std::string& path : longNames) {
    std::string shortPath;
    walk(path, [&](Folder& folder, const std::string& part) {
      auto [at, added] = folder.shortOf.try_emplace(Folded(part));
      if (added) {
        at->second = Generated(part, folder.taken);
        folder.taken.insert(at->second);
      }
      shortPath += (shortPath.empty() ? "" : "\\") + at->second;
    });
    shortNames.push_back(shortPath);
  }
  return shortNames;
}
