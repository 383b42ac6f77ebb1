// Writing an archive with entries, which the library does not do: it creates
// each volume empty (archive header and end record) and writes the headers;
// this file writes the entries' data, stored or deflated and scrambled by the
// password keystream, and splits it over volumes.
//
//   volume:  [stub] archive header | entry header, data | ... | end record
//
// Each entry is read twice: first for its checksum and size, which every
// piece's header carries, then for its data. A header is written before its
// data and again, with the piece's stored size, when the piece ends: where a
// volume is full the piece ends flagged as continued, the volume gets its end
// record, and the entry goes on under a header of its own in the next one.
// An entry starts only where its header and a first data byte fit, so no
// piece is empty.
#include "platform.h"
#include "qarint.h"
#include "tool.h"

#include <cstring>
#include <memory>
#include <zlib.h>

namespace {

// Fields of the format that the library's public face does not name.
constexpr uint16_t kEntryKind = 72;
constexpr uint16_t kMadeByVersion = QAR_VERSION & 0xFFFF;
constexpr uint16_t kNeededVersion = 0x0130;
constexpr uint8_t kHostCode = 3;
constexpr uint32_t kArchiveHeaderFixed = 32; // archive header without its name
constexpr uint32_t kEndRecordSize = 10;
// The library's streams seek and tell with signed 32-bit offsets.
constexpr uint32_t kLargestFile = 0x7FFFFFFF;
constexpr size_t kChunk = 64 * 1024;

// Fixed fields, the two names with their NULs, the empty comment, the CRC.
uint32_t HeaderLength(const QarEntryHeader& record) {
  return 36 + uint32_t(std::strlen(record.shortName)) + 1 + uint32_t(std::strlen(record.longName)) +
         1 + 1 + 4;
}

struct Source {
  QarStream* stream = nullptr;
  ~Source() {
    if (stream)
      QarStreamClose(stream);
  }
};

struct Deflater {
  z_stream zs{};
  bool live = false;
  ~Deflater() {
    if (live)
      deflateEnd(&zs);
  }
};

} // namespace

struct ArchiveWriter {
  WriterOptions options;
  QarArchive* archive = nullptr; // one record, reopened on each new volume
  unsigned volume = 1;
  std::string path; // of the volume being written
  uint32_t position = 0;
  std::vector<std::string> written;
  // The entry being written.
  QarEntryHeader record{};
  std::string shortName, longName, source;
  uint32_t headerOffset = 0, pieceStored = 0;
};

namespace {

uint32_t Limit(const ArchiveWriter& w) {
  return w.options.volumeSize ? w.options.volumeSize : kLargestFile;
}

uint32_t Room(const ArchiveWriter& w) {
  const uint64_t used = uint64_t(w.position) + kEndRecordSize;
  return used >= Limit(w) ? 0 : uint32_t(Limit(w) - used);
}

int WriteError(const ArchiveWriter& w) { return Fail(w.path, QAR_ERR_WRITE); }

// A new volume holds an archive header stamped with the current time and an
// end record: give it the set's time, and go back over the end record.
int PrepareVolume(ArchiveWriter& w) {
  QarArchive* archive = w.archive;
  archive->header.createdTime = w.options.created;
  archive->openTime = w.options.created; // QarUpdateHeader's modifiedTime
  if (!QarUpdateHeader(archive))
    return Fail(w.path, QarGetLastError());
  w.position = BaseOf(archive) + kArchiveHeaderFixed + archive->header.nameLength;
  if (QarStreamSeek(archive->stream, int32_t(w.position), SEEK_SET) != 0)
    return WriteError(w);
  if (uint64_t(w.position) + kEndRecordSize > Limit(w))
    return FailWith(w.path, "--volume-size cannot even hold the archive header", kUsageError);
  return 0;
}

int CopyStub(ArchiveWriter& w, uint64_t* size) {
  Source stub, copy;
  if (!(stub.stream = QarStreamOpen(w.options.stub.c_str(), "rb")))
    return Fail(w.options.stub, QAR_ERR_OPEN);
  if (!(copy.stream = QarStreamOpen(w.path.c_str(), "wb")))
    return Fail(w.path, QAR_ERR_OPEN);
  w.written.push_back(w.path);
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  *size = 0;
  while (size_t got = QarStreamRead(buffer.get(), 1, kChunk, stub.stream)) {
    if (QarStreamWrite(buffer.get(), 1, got, copy.stream) != got)
      return WriteError(w);
    *size += got;
  }
  if (QarStreamError(stub.stream))
    return Fail(w.options.stub, QAR_ERR_READ);
  if (QarStreamFlush(copy.stream) != 0)
    return WriteError(w);
  return 0;
}

int OpenFirstVolume(ArchiveWriter& w) {
  if (w.options.stub.empty()) {
    w.written.push_back(w.path);
    w.archive = QarOpen(w.path.c_str(), QAR_MODE_NOEXISTING, nullptr);
    if (!w.archive)
      return Fail(w.path, QarGetLastError());
  } else {
    uint64_t stubSize = 0;
    if (int error = CopyStub(w, &stubSize))
      return error;
    if (stubSize >= Limit(w))
      return FailWith(w.options.stub, "larger than the volume size", kUsageError);
    w.archive = QarOpen(w.path.c_str(), QAR_MODE_APPEND, nullptr);
    if (!w.archive)
      return Fail(w.path, QarGetLastError());
    if (BaseOf(w.archive) != stubSize) // the stub starts like an archive
      return FailWith(w.options.stub, "starts with an archive; not a stub", kUsageError);
  }
  if (w.options.password)
    QarSetPassword(w.archive, w.options.password->c_str());
  return PrepareVolume(w);
}

int WriteEndRecord(ArchiveWriter& w) {
  QarEntryHeader end{};
  end.recordKind = 0;
  end.headerOffset = w.position;
  QarWriteEntryHeader(&end, w.archive);
  w.position += kEndRecordSize;
  if (QarStreamFlush(w.archive->stream) != 0 || QarStreamError(w.archive->stream))
    return WriteError(w);
  return 0;
}

// The handle's record is reused, so the keystream runs on across volumes.
int OpenNextVolume(ArchiveWriter& w) {
  if (w.volume >= 0xFFFF)
    return FailWith(w.path, "more than 65535 volumes", kUsageError);
  w.path = VolumePath(w.options.path, ++w.volume);
  w.written.push_back(w.path);
  w.archive->header.volumeNumber = uint16_t(w.volume);
  if (!QarOpenInto(w.path.c_str(), QAR_MODE_NOEXISTING, nullptr, 0xFFFFFFFF, w.archive))
    return Fail(w.path, QarGetLastError());
  return PrepareVolume(w);
}

int WriteEntryHeader(ArchiveWriter& w) {
  if (!QarWriteEntryHeader(&w.record, w.archive))
    return Fail(w.path, QarGetLastError());
  return 0;
}

int StartPiece(ArchiveWriter& w) {
  w.record.entryFlags &= uint16_t(~QAR_ENTRY_CONTINUED);
  w.record.storedSize = 0;
  w.headerOffset = w.position;
  w.pieceStored = 0;
  w.position += HeaderLength(w.record);
  return WriteEntryHeader(w);
}

int EndPiece(ArchiveWriter& w, bool continued) {
  w.record.storedSize = w.pieceStored;
  if (continued)
    w.record.entryFlags |= QAR_ENTRY_CONTINUED;
  QarStream* stream = w.archive->stream;
  if (QarStreamSeek(stream, int32_t(w.headerOffset), SEEK_SET) != 0)
    return WriteError(w);
  if (int error = WriteEntryHeader(w))
    return error;
  if (QarStreamSeek(stream, int32_t(w.position), SEEK_SET) != 0)
    return WriteError(w);
  return 0;
}

// Makes room for need more bytes: ends the volume and opens the next one.
int NextVolumeFor(ArchiveWriter& w, uint32_t need) {
  if (!w.options.volumeSize)
    return FailWith(w.options.path,
                    "an archive cannot grow past 2 GiB; split it with --volume-size",
                    QAR_ERR_WRITE);
  if (int error = WriteEndRecord(w))
    return error;
  if (int error = OpenNextVolume(w))
    return error;
  if (Room(w) < need)
    return FailWith(w.source, "--volume-size is too small for this file's entry header",
                    kUsageError);
  return 0;
}

// Writes stored bytes of the entry, scrambled in place when a password is set.
int Emit(ArchiveWriter& w, unsigned char* data, size_t count) {
  QarApplyKeystream(w.archive, data, uint32_t(count));
  while (count > 0) {
    if (Room(w) == 0) {
      if (int error = EndPiece(w, true))
        return error;
      if (int error = NextVolumeFor(w, HeaderLength(w.record) + 1))
        return error;
      if (int error = StartPiece(w))
        return error;
    }
    const uint32_t part = count < Room(w) ? uint32_t(count) : Room(w);
    if (QarStreamWrite(data, 1, part, w.archive->stream) != part)
      return WriteError(w);
    w.position += part;
    w.pieceStored += part;
    data += part;
    count -= part;
  }
  return 0;
}

// Reads the whole file once for its size and checksum.
int Measure(ArchiveWriter& w, QarStream* source, uint32_t* size, uint32_t* crc) {
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kChunk]);
  uint64_t total = 0;
  uLong running = 0xFFFFFFFF;
  while (size_t got = QarStreamRead(buffer.get(), 1, kChunk, source)) {
    running = crc32(running, buffer.get(), uInt(got));
    total += got;
  }
  if (QarStreamError(source))
    return Fail(w.source, QAR_ERR_READ);
  if (total > 0xFFFFFFFF)
    return FailWith(w.source, "larger than the 4 GiB an entry can hold", QAR_ERR_WRITE);
  *size = uint32_t(total);
  *crc = ~uint32_t(running);
  return QarStreamSeek(source, 0, SEEK_SET) == 0 ? 0 : Fail(w.source, QAR_ERR_READ);
}

// Reads the file again and writes its data. Its size and checksum must be
// those measured, or the headers already written would not describe it.
int Transfer(ArchiveWriter& w, QarStream* source) {
  std::unique_ptr<unsigned char[]> in(new unsigned char[kChunk]), out(new unsigned char[kChunk]);
  Deflater deflater;
  const bool zlib = w.record.method == QAR_METHOD_ZLIB;
  if (zlib) {
    if (deflateInit(&deflater.zs, w.options.level) != Z_OK)
      return Fail(w.source, QAR_ERR_NOMEM);
    deflater.live = true;
  }
  uint64_t total = 0;
  uLong running = 0xFFFFFFFF;
  for (bool end = false; !end;) {
    const size_t got = QarStreamRead(in.get(), 1, kChunk, source);
    if (QarStreamError(source))
      return Fail(w.source, QAR_ERR_READ);
    end = got < kChunk;
    running = crc32(running, in.get(), uInt(got));
    total += got;
    ProgressEntry(total);
    if (!zlib) {
      if (int error = Emit(w, in.get(), got))
        return error;
      continue;
    }
    z_stream& zs = deflater.zs;
    zs.next_in = in.get();
    zs.avail_in = uInt(got);
    do {
      zs.next_out = out.get();
      zs.avail_out = uInt(kChunk);
      deflate(&zs, end ? Z_FINISH : Z_NO_FLUSH);
      if (int error = Emit(w, out.get(), kChunk - zs.avail_out))
        return error;
    } while (zs.avail_out == 0);
  }
  if (total != w.record.originalSize || ~uint32_t(running) != w.record.dataCrc)
    return FailWith(w.source, "changed while it was being read", QAR_ERR_READ);
  return 0;
}

} // namespace

ArchiveWriter* BeginArchive(const WriterOptions& options, int* error) {
  auto* w = new ArchiveWriter{};
  w->options = options;
  w->path = options.path;
  if ((*error = OpenFirstVolume(*w)) != 0) {
    FinishArchive(w, true, nullptr);
    return nullptr;
  }
  return w;
}

int AddEntry(ArchiveWriter* writer, const NewEntry& entry) {
  ArchiveWriter& w = *writer;
  w.source = entry.input->path;
  Source source;
  if (!(source.stream = QarStreamOpen(w.source.c_str(), "rb")))
    return Fail(w.source, QAR_ERR_OPEN);

  w.shortName = entry.shortName;
  w.longName = entry.input->stored;
  QarEntryHeader& record = w.record;
  record = QarEntryHeader{};
  record.recordKind = kEntryKind;
  record.madeByVersion = kMadeByVersion;
  record.neededVersion = kNeededVersion;
  record.hostCode = kHostCode;
  record.entryFlags = entry.flags;
  record.method = w.options.method;
  record.modTime = uint32_t(QarStreamGetTime(source.stream));
  record.attributes = ReadAttributes(w.source);
  record.shortName = w.shortName.data();
  record.longName = w.longName.data();
  if (int error = Measure(w, source.stream, &record.originalSize, &record.dataCrc))
    return error;

  // A zlib stream is never empty, even for an empty file.
  const bool hasData = record.originalSize > 0 || record.method == QAR_METHOD_ZLIB;
  const uint32_t need = HeaderLength(record) + (hasData ? 1 : 0);
  if (Room(w) < need)
    if (int error = NextVolumeFor(w, need))
      return error;
  if (int error = StartPiece(w))
    return error;
  QarResetKeystream(w.archive);
  if (int error = Transfer(w, source.stream))
    return error;
  if (int error = EndPiece(w, false))
    return error;
  ProgressFileDone(record.originalSize);
  return 0;
}

namespace {

// Files named like later volumes of this archive, left by an earlier and
// longer set, would be read as part of the new one.
void RemoveStaleVolumes(const ArchiveWriter& w) {
  for (unsigned number = w.volume + 1; number <= 0xFFFF; ++number) {
    const std::string path = VolumePath(w.options.path, number);
    if (KindOf(path) != PathKind::file)
      return;
    QarArchive* stale = QarOpen(path.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY, nullptr);
    const bool isVolume = stale && VolumeNumberOf(stale) == number;
    if (stale)
      QarClose(stale);
    if (!isVolume || !RemoveFile(path))
      return;
  }
}

} // namespace

int FinishArchive(ArchiveWriter* writer, bool failed, unsigned* volumes) {
  std::unique_ptr<ArchiveWriter> w(writer);
  if (volumes)
    *volumes = w->volume;
  int error = failed ? 0 : WriteEndRecord(*w);
  if (w->archive)
    QarClose(w->archive);
  if (failed || error) {
    for (const std::string& path : w->written)
      RemoveFile(path);
    return error;
  }
  RemoveStaleVolumes(*w);
  return 0;
}
