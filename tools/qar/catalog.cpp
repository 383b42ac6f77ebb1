// The entries of a volume set as test, extract and info see them: one record
// per entry, its pieces in later volumes folded into it, hidden ones too.
#include "tool.h"

int ReadCatalog(const std::string& given, Catalog* catalog) {
  catalog->first = ArchivePath(given);
  return ForEachVolume(given, [&](const VolumeVisit& volume) {
    ++catalog->volumes;
    unsigned index = 0;
    for (const QarEntryHeader* piece = FirstEntry(volume.archive); piece && piece->recordKind != 0;
         piece = piece->next, ++index) {
      if (index == 0 && volume.continuation && !catalog->entries.empty()) {
        // The first piece's flags say what the entry is; its size grows, and
        // the checksum the library compares is the last piece's.
        Entry& entry = catalog->entries.back();
        entry.storedSize += piece->storedSize;
        entry.dataCrc = piece->dataCrc;
        continue;
      }
      Entry entry;
      entry.shortName = piece->shortName ? piece->shortName : "";
      entry.longName = piece->longName ? piece->longName : "";
      entry.flags = piece->entryFlags;
      entry.method = piece->method;
      entry.modTime = piece->modTime;
      entry.originalSize = piece->originalSize;
      entry.dataCrc = piece->dataCrc;
      entry.attributes = piece->attributes;
      entry.storedSize = piece->storedSize;
      entry.volume = volume.number;
      entry.index = index;
      catalog->entries.push_back(entry);
    }
  });
}

bool MatchesEntry(const std::string& shortName, const std::string& longName,
                  const std::string& pattern) {
  return QarMatchName(shortName.c_str(), pattern.c_str()) ||
         (!longName.empty() && QarMatchName(longName.c_str(), pattern.c_str()));
}

std::vector<size_t> SelectEntries(const Catalog& catalog, const std::vector<std::string>& patterns,
                                  Outcome* outcome) {
  std::vector<size_t> selected;
  std::vector<bool> used(patterns.size(), false);
  for (size_t i = 0; i < catalog.entries.size(); ++i) {
    const Entry& entry = catalog.entries[i];
    bool chosen = patterns.empty() && !entry.Hidden();
    for (size_t p = 0; p < patterns.size(); ++p) {
      if ((entry.Hidden() && HasWildcards(patterns[p])) ||
          !MatchesEntry(entry.shortName, entry.longName, patterns[p]))
        continue;
      used[p] = true;
      chosen = true;
    }
    if (chosen)
      selected.push_back(i);
  }
  for (size_t p = 0; p < patterns.size(); ++p)
    if (!used[p])
      outcome->Note(Fail(patterns[p], QAR_ERR_NOT_FOUND));
  return selected;
}
