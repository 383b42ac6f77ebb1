// The inflate decoder: one zlib stream per entry, read and written through
// 2048-byte buffers. While an entry continues in the next volume, the zlib
// state, both buffers and any output not yet written stay with the handle.
//
// The decoder always ends: a corrupt stream, or one whose input runs out
// before its end in a piece that does not continue, ends the state and
// reports the entry as damaged; so does output beyond the entry's
// originalSize, so that a hostile archive cannot fill the disk.
#include "qarint.h"

#include <new>

namespace {

constexpr uInt kBufferSize = 2048;

bool StartInflate(QarInflateState& state, int* error) {
  state.in = new (std::nothrow) unsigned char[kBufferSize];
  state.out = new (std::nothrow) unsigned char[kBufferSize];
  state.zs = z_stream{};
  *error = state.in && state.out ? inflateInit(&state.zs) : Z_MEM_ERROR;
  if (*error != Z_OK) {
    delete[] state.in;
    delete[] state.out;
    state.in = state.out = nullptr;
    return false;
  }
  state.zs.next_in = nullptr;
  state.zs.avail_in = 0;
  state.zs.next_out = state.out;
  state.zs.avail_out = kBufferSize;
  return true;
}

} // namespace

void QarEndInflate(QarArchive* archive) {
  if (!(archive->stateFlags & QAR_STATE_INFLATE))
    return;
  QarInflateState& state = archive->inflateState;
  inflateEnd(&state.zs);
  delete[] state.in;
  delete[] state.out;
  state.in = state.out = nullptr;
  archive->stateFlags &= ~QAR_STATE_INFLATE;
}

uint32_t QarInflateEntry(QarStream* archiveStream, QarStream* output, QarExtractJob* job) {
  QarArchive* archive = job->archive;
  QarInflateState& state = archive->inflateState;
  if (!(archive->stateFlags & QAR_STATE_INFLATE)) {
    int error = Z_OK;
    if (!StartInflate(state, &error))
      return static_cast<uint32_t>(error);
    archive->stateFlags |= QAR_STATE_INFLATE;
  }

  const uint32_t before = job->produced;
  const uint32_t room = job->originalSize > before ? job->originalSize - before : 0;
  const bool pieceContinues = job->entry->entryFlags & QAR_ENTRY_CONTINUED;
  uint32_t consumed = 0, producedHere = 0, crc = job->runningCrc;
  bool continues = false, damaged = false;
  QarProgress progress{job->originalSize, before, 0};

  for (;;) {
    if (state.zs.avail_in == 0) {
      if (continues)
        break;
      uint32_t left = job->pieceSize - consumed;
      uint32_t want = left < kBufferSize ? left : kBufferSize;
      uint32_t got = want ? uint32_t(QarStreamRead(state.in, 1, want, archiveStream)) : 0;
      QarApplyKeystream(archive, state.in, got);
      consumed += got;
      state.zs.next_in = state.in;
      state.zs.avail_in = got;
      if (consumed >= job->pieceSize && pieceContinues)
        continues = true;
    }

    int r = inflate(&state.zs, Z_NO_FLUSH);
    if (continues && r == Z_STREAM_END)
      continues = false;
    // Z_BUF_ERROR means no progress was possible: the input ran out. That is
    // the normal end of a piece that continues, and a cut-short stream
    // otherwise.
    bool failed = r != Z_OK && r != Z_STREAM_END && !(r == Z_BUF_ERROR && continues);

    if (state.zs.avail_out == 0 || r == Z_STREAM_END || failed) {
      uint32_t length = kBufferSize - state.zs.avail_out;
      if (length > room - producedHere) {
        length = room - producedHere;
        damaged = true;
      }
      QarStreamWrite(state.out, 1, length, output);
      crc = QarCrcUpdate(crc, state.out, length);
      producedHere += length;
      state.zs.next_out = state.out;
      state.zs.avail_out = kBufferSize;
    }

    progress.done = before + producedHere;
    if (archive->progressFn(QAR_CALLBACK_PROGRESS, &progress, archive->callbackData) == 2) {
      QarEndInflate(archive);
      QarSetLastError(QAR_ERR_ABORTED);
      throw TXQAR{};
    }
    if (failed || damaged) {
      damaged = true;
      continues = false;
      break;
    }
    if (r == Z_STREAM_END)
      break;
  }

  if (!continues)
    QarEndInflate(archive);
  progress.done = before + producedHere;
  progress.finished = 1;
  archive->progressFn(QAR_CALLBACK_PROGRESS, &progress, archive->callbackData);
  job->runningCrc = crc;
  job->produced = producedHere;
  if (continues)
    return QAR_CONTINUED;
  return damaged ? QAR_PIECE_DAMAGED : QAR_PIECE_DONE;
}
