// qar create: a new archive (or setup package) from files and folders.
#include "platform.h"
#include "tool.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>

namespace {

const char kHelp[] =
    "usage: qar create [options] ARCHIVE PATH...\n"
    "\n"
    "Writes a new archive holding the given files; a folder adds the files\n"
    "below it. Without -C, each PATH is stored under its own name: a file as\n"
    "its file name, a folder's files as FOLDER\\SUB\\NAME. With -C DIR, PATHs\n"
    "are read relative to DIR and stored as written ('.' stores DIR's files).\n"
    "Stored names use '\\' as separator; each also gets its 8.3 short name.\n"
    "ARCHIVE without an extension gets .QAR. An existing ARCHIVE is replaced.\n"
    "\n"
    "options:\n"
    "  -C, --directory DIR    read PATHs relative to DIR, store them as written\n"
    "  --method store|zlib    how data is stored (default zlib)\n"
    "  --level N              zlib compression level, 0 to 9 (default 9)\n"
    "  --hidden PATTERN       flag entries whose name matches PATTERN ('*', '?')\n"
    "                         as hidden: left out of listings, found by name;\n"
    "                         may be repeated\n"
    "  --password TEXT        scramble the stored data with TEXT's keystream\n"
    "  --volume-size BYTES    split into volumes of at most BYTES each: ARCHIVE,\n"
    "                         then ARCHIVE with the extension .Q02, .Q03, ...\n"
    "                         (DEMO.QAR, DEMO.Q02, ...); volumes of an earlier,\n"
    "                         longer set under the same name are removed\n"
    "  --stub EXE             write EXE's bytes first, then the archive: a setup\n"
    "                         package, found by readers from its end\n"
    "\n"
    "File times are stored in the archive's time-stamp form; the archive\n"
    "header's times are SOURCE_DATE_EPOCH when that is set, else now.\n";

const std::vector<OptionSpec> kOptions = {
    {"directory", 'C', true}, {"method", 0, true},   {"level", 0, true},
    {"hidden", 0, true},      {"password", 0, true}, {"volume-size", 0, true},
    {"stub", 0, true},
};

constexpr size_t kLongestName = 255; // what a listing record holds

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The options as the writer takes them; 0, or 64 after a usage error.
int ReadOptions(const ParsedArgs& parsed, WriterOptions* options) {
  const std::string method = parsed.Has("method") ? parsed.Value("method") : "zlib";
  if (method == "store")
    options->method = QAR_METHOD_STORED;
  else if (method == "zlib")
    options->method = QAR_METHOD_ZLIB;
  else
    return UsageError("create", "--method must be store or zlib");

  uint64_t number = 9;
  if (parsed.Has("level") && !ParseNumber(parsed.Value("level"), 9, &number))
    return UsageError("create", "--level must be a number from 0 to 9");
  options->level = int(number);

  if (parsed.Has("volume-size")) {
    if (!ParseNumber(parsed.Value("volume-size"), 0x7FFFFFFF, &number) || number == 0)
      return UsageError("create", "--volume-size must be a number of bytes below 2 GiB");
    options->volumeSize = uint32_t(number);
  }

  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    if (!ParseNumber(epoch, 0xFFFFFFFF, &number))
      return UsageError("create", "SOURCE_DATE_EPOCH must be seconds since 1970");
    options->created = uint32_t(number);
  } else {
    options->created = uint32_t(std::time(nullptr));
  }
  return 0;
}

// Every stored name must be one that extraction accepts, and one only.
int CheckNames(const std::vector<InputFile>& files, const std::vector<std::string>& shortNames) {
  std::set<std::string> seen;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& name = files[i].stored;
    std::vector<std::string> parts;
    std::string why;
    if (!SplitStoredName(name, &parts, &why))
      return FailWith(files[i].path, "cannot be stored as " + name + ": " + why, kUsageError);
    if (name.size() > kLongestName || shortNames[i].size() > kLongestName)
      return FailWith(files[i].path, "stored name longer than 255 characters", kUsageError);
    std::string folded = name;
    for (char& c : folded)
      c = Upper(c);
    if (!seen.insert(folded).second)
      return FailWith(files[i].path, "a second file stored as " + name, kUsageError);
  }
  return 0;
}

} // namespace

int RunCreate(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (int status; !StartCommand("create", args, kOptions, kHelp, &parsed, &status))
    return status;
  if (parsed.operands.size() < 2)
    return UsageError("create", "needs ARCHIVE and at least one PATH");
  WriterOptions options;
  if (int error = ReadOptions(parsed, &options))
    return error;
  const std::string password = parsed.Value("password");
  if (parsed.Has("password"))
    options.password = &password;
  options.path = ArchivePath(parsed.operands[0]);
  options.stub = parsed.Value("stub");
  if (!options.stub.empty()) {
    if (KindOf(options.stub) != PathKind::file)
      return Fail(options.stub, QAR_ERR_OPEN);
    if (SameFile(options.stub, options.path))
      return UsageError("create", "the stub cannot be the archive itself");
  }

  // The archive and the later volumes of an earlier set are never read.
  std::vector<std::string> outputs = {options.path};
  for (unsigned n = 2; KindOf(VolumePath(options.path, n)) == PathKind::file; ++n)
    outputs.push_back(VolumePath(options.path, n));
  std::vector<InputFile> files;
  const std::vector<std::string> paths(parsed.operands.begin() + 1, parsed.operands.end());
  if (int error = CollectInputs(paths, parsed.Value("directory"), outputs, &files))
    return error;

  std::vector<std::string> longNames;
  uint64_t bytes = 0;
  for (const InputFile& file : files) {
    longNames.push_back(file.stored);
    bytes += file.size;
  }
  const std::vector<std::string> shortNames = ShortNames(longNames);
  if (int error = CheckNames(files, shortNames))
    return error;

  ProgressBegin(uint32_t(files.size()), bytes);
  int error = 0;
  ArchiveWriter* writer = BeginArchive(options, &error);
  if (!writer) {
    ProgressEnd();
    return error;
  }
  const std::vector<std::string> hidden = parsed.Values("hidden");
  for (size_t i = 0; i < files.size() && !error; ++i) {
    NewEntry entry{&files[i], shortNames[i], 0};
    for (const std::string& pattern : hidden)
      if (MatchesEntry(shortNames[i], files[i].stored, pattern))
        entry.flags |= QAR_ENTRY_HIDDEN;
    error = AddEntry(writer, entry);
  }
  unsigned volumes = 0;
  if (int finished = FinishArchive(writer, error != 0, &volumes); !error)
    error = finished;
  ProgressEnd();
  if (!error)
    std::printf("%s: %zu %s in %u volume%s\n", options.path.c_str(), files.size(),
                files.size() == 1 ? "entry" : "entries", volumes, volumes == 1 ? "" : "s");
  return error;
}
