// qar info: the archive header of a file, where the archive starts in it,
// its volume number, and how many entries the set holds.
#include "tool.h"

#include <cstdio>

namespace {

const char kHelp[] =
    "usage: qar info ARCHIVE\n"
    "\n"
    "Prints the archive header of ARCHIVE (the name it was created under, the\n"
    "version and code fields, its flags and times), the offset at which the\n"
    "archive starts in the file (the size of a setup package's stub), its\n"
    "volume number, and the counts of volumes, entries and hidden entries of\n"
    "the set that starts with it.\n";

std::string TimeLine(uint32_t seconds) {
  return UtcTimeText(seconds) + " (" + std::to_string(seconds) + ")";
}

} // namespace

int RunInfo(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (int status; !StartCommand("info", args, {}, kHelp, &parsed, &status))
    return status;
  if (parsed.operands.size() != 1)
    return UsageError("info", "needs ARCHIVE, and nothing else");

  Catalog catalog;
  Outcome outcome;
  outcome.Note(ReadCatalog(parsed.operands[0], &catalog));
  if (catalog.volumes == 0)
    return outcome.status;
  QarArchive* archive = QarOpen(catalog.first.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY,
                                nullptr);
  if (!archive)
    return Fail(catalog.first, QarGetLastError());
  QarArchiveInfo info{};
  QarGetArchiveInfo(archive, &info);
  const uint32_t base = BaseOf(archive);
  const unsigned volume = VolumeNumberOf(archive);
  QarClose(archive);

  size_t hidden = 0;
  for (const Entry& entry : catalog.entries)
    hidden += entry.Hidden() ? 1 : 0;
  std::printf("file         %s\n", catalog.first.c_str());
  std::printf("name         %s\n", info.archiveName);
  std::printf("base         %u\n", unsigned(base));
  std::printf("volume       %u\n", volume);
  std::printf("made by      0x%04X\n", unsigned(info.madeByVersion));
  std::printf("needed       0x%04X\n", unsigned(info.neededVersion));
  std::printf("host code    %u\n", unsigned(info.hostCode));
  std::printf("flags        0x%04X\n", unsigned(info.archiveFlags));
  std::printf("header code  %u\n", unsigned(info.headerCode));
  std::printf("created      %s\n", TimeLine(info.createdTime).c_str());
  std::printf("modified     %s\n", TimeLine(info.modifiedTime).c_str());
  std::printf("volumes      %u\n", catalog.volumes);
  std::printf("entries      %s\n", std::to_string(catalog.entries.size()).c_str());
  std::printf("hidden       %s\n", std::to_string(hidden).c_str());
  return outcome.status;
}
