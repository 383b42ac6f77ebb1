// Decoding the selected entries of a volume set with QarExtract, one handle
// moved from volume to volume: by the library while an entry continues, by
// this loop when the next entry starts in a later volume.
#include "tool.h"

namespace {

// QarExtract finds its entry by a name pattern, and the first match in the
// volume wins. A bare name is compared with the last component of stored
// paths (so "a.txt" also matches an earlier "sub\a.txt") and a path with the
// last component of names without a backslash (so "sub\a.txt" matches an
// earlier "a.txt"). Where the plain name is taken by an earlier entry, a
// pattern that only a name of the same shape can match tells them apart:
// "\a.txt" is compared whole with every stored path, and in "sub\a.txt*\"
// the part after the last backslash, compared with bare names, is empty.
std::string PatternReaching(QarArchive* archive, const QarEntryHeader* entry) {
  for (const char* name : {entry->longName, entry->shortName}) {
    if (!name || !*name)
      continue;
    const std::string plain = name;
    const bool nested = plain.find('\\') != std::string::npos;
    for (const std::string& pattern : {plain, nested ? plain + "*\\" : "\\" + plain})
      if (QarFindEntry(archive, pattern.c_str()) == entry)
        return pattern;
  }
  return "";
}

} // namespace

void DecodeEntries(const Catalog& catalog, const std::vector<size_t>& selected,
                   const std::string* password, const DecodeSteps& steps, Outcome* outcome) {
  uint64_t bytes = 0;
  for (size_t i : selected)
    bytes += catalog.entries[i].originalSize;
  ProgressBegin(uint32_t(selected.size()), bytes);
  UseVolumeSet(catalog.first);

  QarArchive* archive = nullptr;
  for (size_t i : selected) {
    const Entry& entry = catalog.entries[i];
    if (!archive || !IsOpen(archive) || VolumeNumberOf(archive) != entry.volume) {
      if (archive)
        QarClose(archive);
      const std::string path = VolumePath(catalog.first, entry.volume);
      archive = QarOpen(path.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, LibraryCallback);
      if (!archive) {
        outcome->Note(Fail(path, QarGetLastError()));
        continue;
      }
      if (password)
        QarSetPassword(archive, password->c_str());
    }
    const QarEntryHeader* header = EntryAt(archive, entry.index);
    const std::string pattern = header ? PatternReaching(archive, header) : "";
    if (pattern.empty()) {
      outcome->Note(FailWith(entry.Name(), "cannot be told apart from an earlier entry by name",
                             QAR_ERR_NOT_FOUND));
      continue;
    }

    int error = 0;
    QarStream* output = steps.open(entry, &error);
    if (!output) {
      outcome->Note(error);
      continue;
    }
    ForgetMissingVolume();
    if (!QarExtract(archive, pattern.c_str(), nullptr, output)) {
      error = QarGetLastError();
      if (error == QAR_ERR_ABORTED && !MissingVolume().empty())
        error = FailWith(MissingVolume(), "cannot open this volume, which holds the rest of " +
                                              entry.Name(), QAR_ERR_OPEN);
      else
        Fail(entry.Name(), error);
      outcome->Note(error);
    }
    steps.finish(entry, output, error);
    ProgressFileDone(entry.originalSize);
  }
  if (archive)
    QarClose(archive);
  ProgressEnd();
}
