// qar list: the library's listing (QarEnumerate) over every volume of a set,
// one line per entry, an entry's pieces in later volumes counted with it.
#include "tool.h"

#include <cstdio>

namespace {

const char kHelp[] =
    "usage: qar list [--json] ARCHIVE [PATTERN...]\n"
    "\n"
    "Lists the entries of ARCHIVE and of the volumes that follow it (ARCHIVE\n"
    "with the extension .Q02, .Q03, ...), or those whose name matches a\n"
    "PATTERN ('*' and '?'; a PATTERN without '\\' is compared with the last\n"
    "part of each name). Hidden entries are never listed. Each line gives the\n"
    "method, the original and stored sizes, the stored size as a percentage of\n"
    "the original, the data checksum, the attributes (Read-only, Hidden,\n"
    "System, Archive), the last-write time (local time) and the name; a line\n"
    "of totals follows.\n"
    "\n"
    "options:\n"
    "  --json   one JSON object per entry instead, and no totals\n";

const std::vector<OptionSpec> kOptions = {{"json", 0, false}};

struct Row {
  std::string shortName, longName;
  uint16_t method;
  uint32_t size, crc, attributes, modTime;
  uint64_t stored;
  unsigned volume;
};

struct Listing {
  std::vector<std::string> patterns;
  std::vector<bool> used;
  std::vector<Row> rows;
  unsigned volume = 0, volumes = 0;
  bool skipFirst = false;     // the volume's first listed entry goes on the previous one's
  long continuing = -1;       // the row whose entry goes on in the next volume
};

// QarEnumerate hands its callback a 32-bit user value, no room for a pointer.
Listing* listing = nullptr;

int ListOne(QarEntryInfo* info, uint32_t, uint32_t) {
  Listing& l = *listing;
  if (l.skipFirst) {
    l.skipFirst = false;
    if (l.continuing >= 0) {
      l.rows[size_t(l.continuing)].stored += info->storedSize;
      l.rows[size_t(l.continuing)].crc = info->dataCrc; // the one extraction compares
    }
    if (!(info->entryFlags & QAR_ENTRY_CONTINUED))
      l.continuing = -1;
    return 1;
  }
  bool wanted = l.patterns.empty();
  for (size_t p = 0; p < l.patterns.size(); ++p)
    if (MatchesEntry(info->shortName, info->longName, l.patterns[p]))
      wanted = l.used[p] = true;
  l.continuing = -1;
  if (wanted) {
    l.rows.push_back(Row{info->shortName, info->longName, info->method, info->originalSize,
                         info->dataCrc, info->attributes, info->modTime, info->storedSize,
                         l.volume});
    if (info->entryFlags & QAR_ENTRY_CONTINUED)
      l.continuing = long(l.rows.size() - 1);
  }
  return 1;
}

std::string RatioText(uint64_t stored, uint64_t size) {
  if (size == 0)
    return "-";
  return std::to_string((stored * 100 + size / 2) / size) + "%";
}

void PrintText(const std::vector<Row>& rows) {
  std::printf("%-7s %10s %10s %6s  %-8s  %-4s  %-19s  %s\n", "Method", "Size", "Stored", "Ratio",
              "CRC", "Attr", "Modified", "Name");
  uint64_t size = 0, stored = 0;
  for (const Row& row : rows) {
    std::printf("%-7s %10s %10s %6s  %08X  %-4s  %-19s  %s\n", MethodName(row.method).c_str(),
                std::to_string(row.size).c_str(), std::to_string(row.stored).c_str(),
                RatioText(row.stored, row.size).c_str(), unsigned(row.crc),
                AttributeLetters(row.attributes).c_str(),
                LocalTimeText(StampToUtc(row.modTime)).c_str(),
                (row.longName.empty() ? row.shortName : row.longName).c_str());
    size += row.size;
    stored += row.stored;
  }
  std::printf("%s\n", std::string(78, '-').c_str());
  std::printf("%-7s %10s %10s %6s  %-8s  %-4s  %-19s  %s %s\n", "", std::to_string(size).c_str(),
              std::to_string(stored).c_str(), RatioText(stored, size).c_str(), "", "", "",
              std::to_string(rows.size()).c_str(), rows.size() == 1 ? "entry" : "entries");
}

void PrintJson(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", unsigned(row.crc));
    const int64_t utc = StampToUtc(row.modTime);
    std::printf("{\"name\":%s,\"shortName\":%s,\"method\":\"%s\",\"size\":%s,\"stored\":%s,"
                "\"ratio\":%s,\"crc\":\"%s\",\"attributes\":%u,\"modified\":\"%s\","
                "\"volume\":%u}\n",
                JsonString(row.longName.empty() ? row.shortName : row.longName).c_str(),
                JsonString(row.shortName).c_str(), MethodName(row.method).c_str(),
                std::to_string(row.size).c_str(), std::to_string(row.stored).c_str(),
                row.size ? std::to_string((row.stored * 100 + row.size / 2) / row.size).c_str()
                         : "null",
                crc, unsigned(row.attributes), UtcTimeText(utc).c_str(), row.volume);
  }
}

} // namespace

int RunList(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (int status; !StartCommand("list", args, kOptions, kHelp, &parsed, &status))
    return status;
  if (parsed.operands.empty())
    return UsageError("list", "needs ARCHIVE");

  Listing state;
  state.patterns.assign(parsed.operands.begin() + 1, parsed.operands.end());
  state.used.assign(state.patterns.size(), false);
  listing = &state;
  Outcome outcome;
  outcome.Note(ForEachVolume(parsed.operands[0], [&](const VolumeVisit& volume) {
    const QarEntryHeader* first = FirstEntry(volume.archive);
    state.volume = volume.number;
    ++state.volumes;
    state.skipFirst = volume.continuation && first && !(first->entryFlags & QAR_ENTRY_HIDDEN);
    QarEnumerate(volume.archive, "*", ListOne, 0); // 0 and error 14 when none is listed
  }));
  listing = nullptr;

  if (state.volumes == 0) // ARCHIVE itself could not be read
    return outcome.status;
  if (parsed.Has("json"))
    PrintJson(state.rows);
  else
    PrintText(state.rows);
  for (size_t p = 0; p < state.patterns.size(); ++p)
    if (!state.used[p])
      outcome.Note(Fail(state.patterns[p], QAR_ERR_NOT_FOUND));
  return outcome.status;
}
