// The files create reads, found from the PATHs of its command line, and the
// long names it stores them under (backslash-separated). Folders are walked
// in byte order of their entries' names, so that the same tree gives the
// same archive on every system.
#include "platform.h"
#include "tool.h"

#include <algorithm>

namespace {

// Folder links can make a tree endless; a real tree is never this deep.
constexpr int kMaxDepth = 64;

struct Collector {
  const std::vector<std::string>& outputs;
  std::vector<InputFile>& files;

  bool IsOutput(const std::string& path) const {
    for (const std::string& output : outputs)
      if (SameFile(path, output))
        return true;
    return false;
  }

  int AddFile(const std::string& path, const std::string& stored, uint64_t size) {
    if (IsOutput(path)) {
      Warn(path, "is the archive being written; left out");
      return 0;
    }
    files.push_back(InputFile{path, stored, size});
    return 0;
  }

  int AddFolder(const std::string& path, const std::string& stored, int depth) {
    if (depth > kMaxDepth)
      return FailWith(path, "folders nested too deeply (a link loop?)", kUsageError);
    std::vector<std::string> names;
    if (!ListDirectory(path, &names))
      return FailWith(path, "cannot read the folder", QAR_ERR_OPEN);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string child = JoinPath(path, name);
      const std::string childStored = stored.empty() ? name : stored + "\\" + name;
      uint64_t size = 0;
      int error = 0;
      switch (KindOf(child, &size)) {
      case PathKind::file:
        error = AddFile(child, childStored, size);
        break;
      case PathKind::directory:
        error = AddFolder(child, childStored, depth + 1);
        break;
      default:
        Warn(child, "not a file or a folder; left out");
        break;
      }
      if (error)
        return error;
    }
    return 0;
  }
};

// The components of a PATH, without "." ones and empty ones.
std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !IsPathSeparator(path[i])) {
      part += path[i];
      continue;
    }
    if (!part.empty() && part != ".")
      parts.push_back(part);
    part.clear();
  }
  return parts;
}

// The name a PATH is stored under, or false when it has none of its own.
bool StoredName(const std::string& path, bool asWritten, std::string* stored, std::string* why) {
  const std::vector<std::string> parts = PathParts(path);
  stored->clear();
  if (!asWritten) {
    // Its own name: the last component; ".." and a root have none, and
    // their contents go to the top of the archive.
    if (!parts.empty() && parts.back() != "..")
      *stored = parts.back();
    return true;
  }
  if (!path.empty() && (IsPathSeparator(path[0]) || path[0] == '\\' ||
                        path.find(':') != std::string::npos)) {
    *why = "must be relative to the -C folder";
    return false;
  }
  for (const std::string& part : parts) {
    if (part == "..") {
      *why = "must not leave the -C folder";
      return false;
    }
    *stored += (stored->empty() ? "" : "\\") + part;
  }
  return true;
}

} // namespace

int CollectInputs(const std::vector<std::string>& paths, const std::string& chdir,
                  const std::vector<std::string>& outputs, std::vector<InputFile>* files) {
  Collector collector{outputs, *files};
  for (const std::string& given : paths) {
    std::string stored, why;
    if (!StoredName(given, !chdir.empty(), &stored, &why))
      return UsageError("create", given + " " + why);
    const std::string path = chdir.empty() ? given : JoinPath(chdir, given);
    uint64_t size = 0;
    int error = 0;
    switch (KindOf(path, &size)) {
    case PathKind::file:
      error = stored.empty() ? UsageError("create", given + " names no file")
                             : collector.AddFile(path, stored, size);
      break;
    case PathKind::directory:
      error = collector.AddFolder(path, stored, 0);
      break;
    case PathKind::missing:
      error = Fail(path, QAR_ERR_OPEN);
      break;
    default:
      error = FailWith(path, "not a file or a folder", QAR_ERR_OPEN);
      break;
    }
    if (error)
      return error;
  }
  return 0;
}
