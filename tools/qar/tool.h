// The qar tool's modules and the records they pass between them. The tool
// builds archives (which the library only reads) and lists, tests and
// extracts them through the library's own operations.
#pragma once

#include "qar.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Exit status of a usage error; every other failure exits with the library's
// error number (1 to 20) of the first failure.
constexpr int kUsageError = 64;

// ---- args.cpp: the command line of one subcommand.
struct OptionSpec {
  const char* name; // long name without the dashes
  char letter;      // short form, or 0
  bool takesValue;
};

struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> options; // long name, value
  std::vector<std::string> operands;
  bool help = false;

  bool Has(const char* name) const;
  std::string Value(const char* name) const; // the last one given
  std::vector<std::string> Values(const char* name) const;
};

// Options may come anywhere before "--". False after reporting a usage error.
bool ParseArgs(const std::string& command, const std::vector<std::string>& args,
               const std::vector<OptionSpec>& specs, ParsedArgs* parsed);

// Parses a subcommand's arguments and answers --help with help. True when
// the command is to run; otherwise *status is the exit status to return.
bool StartCommand(const std::string& command, const std::vector<std::string>& args,
                  const std::vector<OptionSpec>& specs, const char* help, ParsedArgs* parsed,
                  int* status);
bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value);

// ---- errors.cpp: messages on standard error.
const char* ErrorText(int error);
// "qar: FILE: message (error N)"; returns error.
int Fail(const std::string& file, int error);
int FailWith(const std::string& file, const std::string& message, int error);
// A usage error of a subcommand (empty: of qar itself), in the same form with
// status 64; returns 64.
int UsageError(const std::string& command, const std::string& message);
void Warn(const std::string& file, const std::string& message);

// The status a command ends with: the first failure's.
struct Outcome {
  int status = 0;
  void Note(int error) {
    if (status == 0)
      status = error;
  }
};

// ---- progress.cpp: the progress bar, drawn only when standard error is a terminal.
void ProgressBegin(uint32_t files, uint64_t bytes);
void ProgressEntry(uint64_t done); // bytes of the current file done so far
void ProgressFileDone(uint64_t size);
void ProgressEnd();
void ProgressClear(); // takes the bar off the line before a message

// ---- volumes.cpp: volume names and the library's callback.
// The path the library opens for ARCHIVE: ".QAR" is added to a file name
// without an extension.
std::string ArchivePath(const std::string& given);
// Volume number 1 is the archive itself; volume N is it with its extension
// replaced by ".Q" and N in at least two digits.
std::string VolumePath(const std::string& first, unsigned number);
// The callback every handle of the tool is opened with: progress (kind 0)
// and the next volume (kind 1), named after the set's first volume.
void UseVolumeSet(const std::string& first);
int LibraryCallback(int kind, void* record, uint32_t callbackData);
// The volume the callback was asked for and could not find, or empty.
std::string MissingVolume();
void ForgetMissingVolume();

uint16_t VolumeNumberOf(const QarArchive* archive);
uint32_t BaseOf(const QarArchive* archive);
bool IsOpen(const QarArchive* archive);
QarEntryHeader* FirstEntry(QarArchive* archive); // null when it holds none
QarEntryHeader* EntryAt(QarArchive* archive, unsigned index);

struct VolumeVisit {
  QarArchive* archive;
  const std::string& path;
  unsigned number;
  bool continuation; // its first entry is the rest of the previous volume's last
};
// Opens ARCHIVE and every volume that follows it, one at a time, and hands
// each to visit. Returns 0 or the reported error.
int ForEachVolume(const std::string& given, const std::function<void(const VolumeVisit&)>& visit);

// ---- catalog.cpp: the entries of a volume set, each with all its pieces.
struct Entry {
  std::string shortName, longName;
  uint16_t flags = 0, method = 0;
  uint32_t modTime = 0, originalSize = 0, dataCrc = 0, attributes = 0;
  uint64_t storedSize = 0; // all pieces together
  unsigned volume = 0;     // the volume holding its first piece
  unsigned index = 0;      // its place among that volume's entry headers

  const std::string& Name() const { return longName.empty() ? shortName : longName; }
  bool Hidden() const { return flags & QAR_ENTRY_HIDDEN; }
};

struct Catalog {
  std::string first; // the first volume's path
  unsigned volumes = 0;
  std::vector<Entry> entries;
};

int ReadCatalog(const std::string& given, Catalog* catalog);
bool MatchesEntry(const std::string& shortName, const std::string& longName,
                  const std::string& pattern);
// The entries that test and extract work on: the listed ones matching a
// pattern (all when there is none); a hidden entry only when a pattern
// without wildcards names it. A pattern that selects nothing is reported.
std::vector<size_t> SelectEntries(const Catalog& catalog, const std::vector<std::string>& patterns,
                                  Outcome* outcome);

// ---- decode.cpp: running QarExtract over selected entries.
struct DecodeSteps {
  // The output stream for an entry, or null after reporting why (error set).
  std::function<QarStream*(const Entry&, int* error)> open;
  // Called after the extraction with its result (0 or the error, already
  // reported); closes the stream.
  std::function<void(const Entry&, QarStream*, int error)> finish;
};
void DecodeEntries(const Catalog& catalog, const std::vector<size_t>& selected,
                   const std::string* password, const DecodeSteps& steps, Outcome* outcome);

// ---- shortnam.cpp: 8.3 names.
// The short form of each stored path (backslash-separated), made per folder
// as Windows makes them: names that are valid 8.3 names keep them in upper
// case; the others get ~1, ~2, ... in the order given.
std::vector<std::string> ShortNames(const std::vector<std::string>& longNames);

// ---- safename.cpp: stored names as paths inside the target folder.
// The components of a stored name, or false with the reason it could lead
// outside the folder (absolute, drive, "..", device names, empty parts).
bool SplitStoredName(const std::string& name, std::vector<std::string>* parts,
                     std::string* reason);

// ---- format.cpp: times and texts for output.
// A modTime in the archive's time-stamp form as seconds since 1970 UTC.
int64_t StampToUtc(uint32_t stamp);
std::string LocalTimeText(int64_t utc); // "YYYY-MM-DD HH:MM:SS"
std::string UtcTimeText(int64_t utc);   // "YYYY-MM-DDTHH:MM:SSZ"
std::string JsonString(const std::string& text);
std::string SizeText(uint64_t bytes); // "12.3 MiB"
std::string MethodName(uint16_t method);
std::string AttributeLetters(uint32_t attributes);
bool HasWildcards(const std::string& pattern);

// ---- inputs.cpp: the files create reads and the names it stores them under.
struct InputFile {
  std::string path;   // where to read it
  std::string stored; // its long name in the archive
  uint64_t size = 0;
};
// chdir empty: each PATH is stored under its own name; else PATHs are read
// relative to chdir and stored as written. outputs are files never read.
int CollectInputs(const std::vector<std::string>& paths, const std::string& chdir,
                  const std::vector<std::string>& outputs, std::vector<InputFile>* files);

// ---- writer.cpp: writing an archive with entries, split into volumes.
struct WriterOptions {
  std::string path;            // the first volume, as the library names it
  std::string stub;            // host executable to put before the archive, or empty
  uint32_t volumeSize = 0;     // 0: one file
  uint16_t method = QAR_METHOD_ZLIB;
  int level = 9;
  const std::string* password = nullptr;
  uint32_t created = 0;        // the archive header's times
};

struct NewEntry {
  const InputFile* input;
  std::string shortName;
  uint16_t flags = 0;
};

struct ArchiveWriter; // the volume being written, owned by the functions below
ArchiveWriter* BeginArchive(const WriterOptions& options, int* error);
int AddEntry(ArchiveWriter* writer, const NewEntry& entry);
// Ends the last volume and tells how many were written; returns 0 or the
// error. Frees the writer either way and, after a failure, removes the files
// it wrote.
int FinishArchive(ArchiveWriter* writer, bool failed, unsigned* volumes);

// ---- the subcommands.
int RunCreate(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunTest(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
