// The walk mirrors the library's reader (records.cpp) field by field; it is
// no oracle, only a way past the checksums, so it keeps no more rules than
// it needs to find where each record ends.
#include "fixsums.h"

#include "qarint.h"

#include <cstring>
#include <string>

namespace {

class Cursor {
public:
  Cursor(std::vector<uint8_t>& bytes, size_t at) : bytes_(bytes), at_(at) {}

  bool ok() const { return ok_; }
  void Fail() { ok_ = false; }

  void Raw(void* into, size_t length) {
    if (!Has(length))
      return;
    std::memcpy(into, bytes_.data() + at_, length);
    at_ += length;
  }
  uint8_t U8() { return uint8_t(Take(1)); }
  uint16_t U16() { return uint16_t(Take(2)); }
  uint32_t U32() { return uint32_t(Take(4)); }

  // A NUL-terminated string of at most QAR_MAX_STRING characters.
  std::string Text() {
    std::string text;
    for (;;) {
      if (!Has(1) || text.size() > QAR_MAX_STRING) {
        ok_ = false;
        return text;
      }
      char c = char(bytes_[at_++]);
      if (c == '\0')
        return text;
      text.push_back(c);
    }
  }

  // Writes the checksum in place of the next four bytes; true when it differs.
  bool PutCrc(uint32_t crc) {
    if (!Has(4))
      return false;
    const uint8_t be[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8),
                           uint8_t(crc)};
    bool changed = std::memcmp(bytes_.data() + at_, be, 4) != 0;
    std::memcpy(bytes_.data() + at_, be, 4);
    at_ += 4;
    return changed;
  }

  void Skip(uint32_t length) {
    if (Has(length))
      at_ += length;
  }

private:
  bool Has(size_t length) {
    ok_ = ok_ && length <= bytes_.size() - at_;
    return ok_;
  }

  uint32_t Take(size_t length) {
    uint32_t value = 0;
    if (Has(length))
      for (size_t i = 0; i < length; ++i)
        value = value << 8 | bytes_[at_++];
    return value;
  }

  std::vector<uint8_t>& bytes_;
  size_t at_;
  bool ok_ = true;
};

bool FixArchiveHeader(Cursor& in) {
  QarArchiveHeader header{};
  in.Raw(header.magic, 4);
  header.recordKind = in.U16();
  header.madeByVersion = in.U16();
  header.neededVersion = in.U16();
  header.hostCode = in.U8();
  header.archiveFlags = in.U16();
  header.headerCode = in.U8();
  header.createdTime = in.U32();
  header.modifiedTime = in.U32();
  header.volumeNumber = in.U16();
  header.reserved = in.U16();
  header.nameLength = in.U16();
  if (header.nameLength > QAR_MAX_NAME_LENGTH)
    in.Fail();
  in.Raw(header.archiveName, header.nameLength);
  return in.ok() && in.PutCrc(QarArchiveHeaderCrc(header));
}

// One entry header after its magic and kind; its data is skipped.
bool FixEntryHeader(Cursor& in, QarEntryHeader& entry) {
  entry.madeByVersion = in.U16();
  entry.neededVersion = in.U16();
  entry.hostCode = in.U8();
  entry.entryFlags = in.U16();
  entry.method = in.U16();
  entry.entryCode = in.U8();
  entry.modTime = in.U32();
  entry.storedSize = in.U32();
  entry.originalSize = in.U32();
  entry.dataCrc = in.U32();
  entry.attributes = in.U32();
  if (entry.entryFlags & QAR_ENTRY_EXTRA)
    entry.extraValue = in.U32();
  std::string shortName = in.Text();
  std::string longName = in.Text();
  in.Text(); // the comment is outside the checksum
  if (!in.ok())
    return false;
  entry.shortName = shortName.data();
  entry.longName = longName.data();
  bool changed = in.PutCrc(QarEntryHeaderCrc(entry, false));
  entry.shortName = entry.longName = nullptr;
  in.Skip(entry.storedSize);
  return changed;
}

} // namespace

bool FixChecksums(std::vector<uint8_t>& bytes, uint32_t base) {
  if (base > bytes.size())
    return false;
  Cursor in(bytes, base);
  bool changed = FixArchiveHeader(in);
  while (in.ok()) {
    QarEntryHeader entry{};
    in.Raw(entry.magic, 4);
    entry.recordKind = in.U16();
    if (!in.ok() || entry.recordKind == QAR_KIND_END)
      break;
    changed = FixEntryHeader(in, entry) || changed;
  }
  return changed;
}
