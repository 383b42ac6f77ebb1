// qar extract: the selected entries written below a folder, in the folders
// their stored names give. A stored name is a path only after it has been
// checked to stay below that folder; the library then decodes into a file
// this command opened there.
#include "platform.h"
#include "tool.h"

#include <cstdio>

namespace {

const char kHelp[] =
    "usage: qar extract [-d DIR] [--password TEXT] ARCHIVE [PATTERN...]\n"
    "\n"
    "Extracts the entries of ARCHIVE and of the volumes that follow it, or those\n"
    "matching a PATTERN, into DIR (default: the current folder), creating the\n"
    "folders of their stored names. Each file gets its stored time and\n"
    "attributes. Hidden entries are extracted only when a PATTERN without\n"
    "wildcards names them. A stored name that is absolute, has a drive, climbs\n"
    "out with '..' or names a device is refused: nothing is written outside DIR.\n"
    "\n"
    "options:\n"
    "  -d, --directory DIR   the folder to extract into; created when missing\n"
    "  --password TEXT       the password the data was scrambled with\n";

const std::vector<OptionSpec> kOptions = {{"directory", 'd', true}, {"password", 0, true}};

bool MakeFolders(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i)
    if (IsPathSeparator(path[i]))
      MakeDirectory(path.substr(0, i));
  return MakeDirectory(path);
}

} // namespace

int RunExtract(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (int status; !StartCommand("extract", args, kOptions, kHelp, &parsed, &status))
    return status;
  if (parsed.operands.empty())
    return UsageError("extract", "needs ARCHIVE");
  const std::string folder = parsed.Has("directory") ? parsed.Value("directory") : ".";
  if (folder.empty())
    return UsageError("extract", "-d needs a folder");

  Outcome outcome;
  Catalog catalog;
  outcome.Note(ReadCatalog(parsed.operands[0], &catalog));
  if (catalog.volumes == 0)
    return outcome.status;
  const std::vector<std::string> patterns(parsed.operands.begin() + 1, parsed.operands.end());
  const std::vector<size_t> selected = SelectEntries(catalog, patterns, &outcome);
  if (!selected.empty() && !MakeFolders(folder))
    return FailWith(folder, "cannot create the folder", QAR_ERR_WRITE);

  size_t extracted = 0;
  std::string target; // the file being written
  DecodeSteps steps;
  steps.open = [&](const Entry& entry, int* error) -> QarStream* {
    std::vector<std::string> parts;
    std::string why;
    if (!SplitStoredName(entry.Name(), &parts, &why)) {
      *error = FailWith(entry.Name(), "refused: " + why, QAR_ERR_WRITE);
      return nullptr;
    }
    target = folder;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      target = JoinPath(target, parts[i]);
      if (!MakeDirectory(target)) {
        *error = FailWith(target, "cannot create the folder", QAR_ERR_WRITE);
        return nullptr;
      }
    }
    target = JoinPath(target, parts.back());
    QarStream* output = QarStreamOpen(target.c_str(), "w+b");
    if (!output)
      *error = Fail(target, QAR_ERR_WRITE);
    return output;
  };
  // The library gives the stream its time; the attributes (read-only among
  // them) can only follow once the file is closed. A file whose checksum
  // disagrees is complete, so it gets them too, as the library does.
  steps.finish = [&](const Entry& entry, QarStream* output, int error) {
    QarStreamClose(output);
    if (error == 0 || error == QAR_ERR_DATA_CRC)
      WriteAttributes(target, entry.attributes);
    if (error == 0)
      ++extracted;
  };
  const std::string password = parsed.Value("password");
  DecodeEntries(catalog, selected, parsed.Has("password") ? &password : nullptr, steps, &outcome);
  std::printf("%zu of %zu %s extracted to %s\n", extracted, selected.size(),
              selected.size() == 1 ? "entry" : "entries", folder.c_str());
  return outcome.status;
}
