// The checked stream layer: the C runtime's buffered streams under the
// library's own names. Nothing here converts byte order, keeps a position or
// sets the library's last error. The operating-system halves (the pointer
// probes, file times) live in fileiow.cpp and fileiop.cpp.
#include "fileio.h"

#include <new>

QarStream* QarStreamOpen(const char* path, const char* mode) {
  auto* stream = new (std::nothrow) QarStream{};
  if (!stream)
    return nullptr;
  stream->file = std::fopen(path, mode);
  if (!stream->file) {
    delete stream;
    return nullptr;
  }
  return stream;
}

int QarStreamClose(QarStream* stream) {
  int result = std::fclose(stream->file);
  delete[] stream->buffer;
  delete stream;
  return result;
}

size_t QarStreamRead(void* buffer, size_t size, size_t count, QarStream* stream) {
  QarProbeRead(buffer, static_cast<uint32_t>(size * count), stream);
  return std::fread(buffer, size, count, stream->file);
}

size_t QarStreamWrite(const void* buffer, size_t size, size_t count, QarStream* stream) {
  return std::fwrite(buffer, size, count, stream->file);
}

int QarStreamSeek(QarStream* stream, int32_t offset, int origin) {
  return std::fseek(stream->file, offset, origin);
}

int32_t QarStreamTell(QarStream* stream) {
  long position = std::ftell(stream->file);
  return position < 0 || position > INT32_MAX ? -1 : static_cast<int32_t>(position);
}

int QarStreamPutc(int c, QarStream* stream) { return std::fputc(c, stream->file); }
int QarStreamPuts(const char* text, QarStream* stream) { return std::fputs(text, stream->file); }
int QarStreamGetc(QarStream* stream) { return std::fgetc(stream->file); }
// getw and putw are done here as the block transfers they stand for: some C
// runtimes write the word past the stream's buffer, straight to the file.
int QarStreamGetw(QarStream* stream) {
  int word = 0;
  return std::fread(&word, sizeof word, 1, stream->file) == 1 ? word : EOF;
}

int QarStreamPutw(int word, QarStream* stream) {
  return std::fwrite(&word, sizeof word, 1, stream->file) == 1 ? word : EOF;
}
void QarStreamSetBuf(QarStream* stream, char* buffer) { std::setbuf(stream->file, buffer); }

// Some C runtimes ignore the size when they are to allocate the buffer
// themselves (glibc keeps its 4 KiB): the layer allocates it instead, so that
// the size asked for is the size used.
int QarStreamSetVBuf(QarStream* stream, char* buffer, int type, size_t size) {
  if (buffer || type == _IONBF || size == 0)
    return std::setvbuf(stream->file, buffer, type, size);
  char* own = new (std::nothrow) char[size];
  if (!own)
    return std::setvbuf(stream->file, nullptr, type, size);
  int result = std::setvbuf(stream->file, own, type, size);
  if (result != 0) {
    delete[] own;
    return result;
  }
  delete[] stream->buffer;
  stream->buffer = own;
  return 0;
}

int QarStreamEof(QarStream* stream) { return std::feof(stream->file); }
int QarStreamError(QarStream* stream) { return std::ferror(stream->file); }
void QarStreamClearErr(QarStream* stream) { std::clearerr(stream->file); }
int QarStreamFileNo(QarStream* stream) { return fileno(stream->file); }
int QarStreamFlush(QarStream* stream) { return std::fflush(stream->file); }
