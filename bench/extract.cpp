// Extraction throughput. One archive, written once in a scratch folder, holds
// a 64 MiB zlib entry and a 64 MiB stored entry of text-like bytes. Timed:
//
//   ExtractZlib, ExtractStored
//                     QarExtract of the entry into a file it opens itself
//   ...Buffered       the same into a caller's file stream with a 1 MiB
//                     stdio buffer
//   ...ToSink         the same into a stream that discards its bytes: the
//                     library's own cost without the file system's
//   RawInflate        zlib's inflate of the same compressed bytes, from
//                     memory, through a 1 MiB output buffer, with crc32 over
//                     the output
//   RawInflateToFile  the same, writing the output to a file
//   RawCopy           the stored bytes read from the archive and written to
//                     a file in 1 MiB blocks, with crc32 over them
//
// The Raw figures are what the machine does without the library around the
// same work; the summary prints each throughput and extraction/raw ratios.
// The scratch folder is $QAR_BENCH_DIR, else $TMPDIR, else /tmp.
#include "qarint.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kEntrySize = 64u << 20;
constexpr size_t kRawBuffer = 1u << 20;
constexpr const char* kZlibName = "PROSE.ZLB";
constexpr const char* kStoredName = "PROSE.STO";

// Text-like bytes: words of a vocabulary in a pseudo-random order with
// numbers and line breaks among them. zlib at level 6 makes a little under a
// quarter of it: compressible, not trivial.
Bytes Prose(size_t length) {
  static const char* const words[] = {
      "setup",   "archive", "volume",  "entry",   "the",     "of",       "install",
      "product", "file",    "language", "and",    "program", "a",        "to",
      "windows", "user",    "folder",  "temporary", "start", "wait",     "clean",
      "version", "dialog",  "license", "update",  "registry", "component", "shared"};
  Bytes out;
  out.reserve(length + 32);
  uint64_t state = 0x9E3779B97F4A7C15u;
  while (out.size() < length) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    uint32_t pick = uint32_t(state >> 32);
    if (pick % 9 == 0) {
      char number[16];
      int n = std::snprintf(number, sizeof number, "%u", pick % 100000);
      out.insert(out.end(), number, number + n);
    } else {
      const char* word = words[pick % std::size(words)];
      out.insert(out.end(), word, word + std::strlen(word));
    }
    out.push_back(pick % 13 == 0 ? '\n' : pick % 7 == 0 ? ',' : ' ');
  }
  out.resize(length);
  return out;
}

Bytes Deflate(const Bytes& data) {
  z_stream zs{};
  if (deflateInit(&zs, 6) != Z_OK)
    return {};
  Bytes out(deflateBound(&zs, uLong(data.size())));
  zs.next_in = const_cast<Bytef*>(data.data());
  zs.avail_in = uInt(data.size());
  zs.next_out = out.data();
  zs.avail_out = uInt(out.size());
  int r = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return r == Z_STREAM_END ? out : Bytes{};
}

// The scratch folder, the archive in it, and the compressed bytes the raw
// baseline inflates. Made on first use and removed at exit.
struct Fixture {
  fs::path dir;
  std::string archive;
  Bytes compressed;
  uint32_t storedOffset = 0; // file offset of the stored entry's data
  uint32_t crc = 0;          // the library CRC of either entry's data
  bool ready = false;

  Fixture() {
    const char* base = std::getenv("QAR_BENCH_DIR");
    if (!base || !*base)
      base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qarbench-XXXXXX";
    if (!mkdtemp(pattern.data()))
      return;
    dir = pattern;
    archive = (dir / "BENCH.QAR").string();
    Bytes data = Prose(kEntrySize);
    crc = QarCrc(data.data(), data.size());
    compressed = Deflate(data);
    ready = !compressed.empty() && Write(data);
  }

  ~Fixture() {
    std::error_code ignored;
    if (!dir.empty())
      fs::remove_all(dir, ignored);
  }

  // Through the library's own writer: an open that creates the file writes
  // an empty archive, then the entries go where its end record was, and a
  // new end record after them.
  bool Write(const Bytes& data) {
    QarArchive* handle = QarOpen(archive.c_str(), 0, nullptr);
    if (!handle)
      return false;
    QarStream* stream = handle->stream;
    QarStreamSeek(stream, int32_t(handle->entries->headerOffset), SEEK_SET);
    bool ok = Entry(handle, kZlibName, QAR_METHOD_ZLIB, compressed) &&
              Entry(handle, kStoredName, QAR_METHOD_STORED, data);
    storedOffset = uint32_t(QarStreamTell(stream)) - kEntrySize;
    QarEntryHeader end{};
    end.recordKind = QAR_KIND_END;
    end.headerOffset = uint32_t(QarStreamTell(stream));
    ok = ok && QarWriteEntryHeader(&end, handle) && QarStreamFlush(stream) == 0;
    QarClose(handle);
    return ok;
  }

  bool Entry(QarArchive* handle, const char* name, uint16_t method, const Bytes& stored) {
    std::string shortName = name;
    QarEntryHeader record{};
    record.recordKind = QAR_KIND_ENTRY;
    record.madeByVersion = QAR_MADE_BY_VERSION;
    record.neededVersion = QAR_NEEDED_VERSION;
    record.hostCode = QAR_HOST_CODE;
    record.method = method;
    record.modTime = 1000000000;
    record.storedSize = uint32_t(stored.size());
    record.originalSize = kEntrySize;
    record.dataCrc = crc;
    record.attributes = 0x20;
    record.shortName = shortName.data();
    return QarWriteEntryHeader(&record, handle) &&
           QarStreamWrite(stored.data(), 1, stored.size(), handle->stream) == stored.size();
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// A stream that takes every byte and keeps none: extraction without the
// file system's part of the cost. (Setting its time fails quietly: it has
// no file descriptor.)
QarStream* OpenSink() {
  cookie_io_functions_t io{};
  io.write = [](void*, const char*, size_t size) -> ssize_t { return ssize_t(size); };
  FILE* file = fopencookie(nullptr, "wb", io);
  return file ? new QarStream{file, nullptr} : nullptr;
}

enum class Output {
  Library,  // a file QarExtract opens itself in the scratch folder
  Buffered, // a file of the caller's with a 1 MiB stdio buffer
  Sink,     // nowhere
};

void Extract(benchmark::State& state, const char* name, Output output) {
  Fixture& f = Shared();
  QarArchive* archive = f.ready ? QarOpen(f.archive.c_str(), QAR_MODE_NOCREATE | QAR_MODE_READONLY,
                                          nullptr)
                                : nullptr;
  if (!archive) {
    state.SkipWithError("no archive");
    return;
  }
  const std::string dir = f.dir.string();
  const std::string buffered = (f.dir / "BUFFERED.OUT").string();
  // The C runtime may ignore a size given without a buffer: give both.
  std::vector<char> buffer(output == Output::Buffered ? kRawBuffer : 0);
  for (auto _ : state) {
    QarStream* stream = nullptr;
    if (output == Output::Sink) {
      stream = OpenSink();
    } else if (output == Output::Buffered) {
      stream = QarStreamOpen(buffered.c_str(), "w+b");
      if (stream)
        QarStreamSetVBuf(stream, buffer.data(), _IOFBF, buffer.size());
    }
    bool ok = (output == Output::Library || stream) &&
              QarExtract(archive, name, dir.c_str(), stream);
    if (stream)
      ok = QarStreamClose(stream) == 0 && ok;
    if (!ok) {
      state.SkipWithError("extraction failed");
      break;
    }
  }
  QarClose(archive);
  state.SetBytesProcessed(int64_t(state.iterations()) * kEntrySize);
}

void ExtractZlib(benchmark::State& state) { Extract(state, kZlibName, Output::Library); }
void ExtractZlibBuffered(benchmark::State& state) {
  Extract(state, kZlibName, Output::Buffered);
}
void ExtractZlibToSink(benchmark::State& state) { Extract(state, kZlibName, Output::Sink); }
void ExtractStored(benchmark::State& state) { Extract(state, kStoredName, Output::Library); }
void ExtractStoredBuffered(benchmark::State& state) {
  Extract(state, kStoredName, Output::Buffered);
}
void ExtractStoredToSink(benchmark::State& state) { Extract(state, kStoredName, Output::Sink); }

// Inflates the fixture's compressed bytes through a 1 MiB buffer with crc32
// over the output, writing it to a file when a path is given.
void Inflate(benchmark::State& state, const std::string& path) {
  Fixture& f = Shared();
  if (!f.ready) {
    state.SkipWithError("no archive");
    return;
  }
  Bytes out(kRawBuffer);
  for (auto _ : state) {
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = f.compressed.data();
    zs.avail_in = uInt(f.compressed.size());
    uLong crc = QAR_CRC_START;
    int r = Z_OK;
    bool written = path.empty() || file;
    while (r == Z_OK) {
      zs.next_out = out.data();
      zs.avail_out = uInt(out.size());
      r = inflate(&zs, Z_NO_FLUSH);
      size_t length = out.size() - zs.avail_out;
      crc = crc32(crc, out.data(), uInt(length));
      if (file)
        written = std::fwrite(out.data(), 1, length, file) == length && written;
    }
    inflateEnd(&zs);
    if (file)
      written = std::fclose(file) == 0 && written;
    // The library CRC: zlib's crc32 run from 0xFFFFFFFF, then complemented.
    if (r != Z_STREAM_END || uint32_t(~crc) != f.crc || !written) {
      state.SkipWithError("inflate failed");
      break;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kEntrySize);
}

void RawInflate(benchmark::State& state) { Inflate(state, ""); }
void RawInflateToFile(benchmark::State& state) {
  Inflate(state, (Shared().dir / "INFLATED.OUT").string());
}

void RawCopy(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.ready) {
    state.SkipWithError("no archive");
    return;
  }
  Bytes buffer(kRawBuffer);
  const std::string target = (f.dir / "COPY.STO").string();
  for (auto _ : state) {
    FILE* in = std::fopen(f.archive.c_str(), "rb");
    FILE* out = std::fopen(target.c_str(), "wb");
    bool ok = in && out && std::fseek(in, long(f.storedOffset), SEEK_SET) == 0;
    uLong crc = QAR_CRC_START;
    for (uint32_t left = kEntrySize; ok && left > 0;) {
      size_t want = left < buffer.size() ? left : buffer.size();
      ok = std::fread(buffer.data(), 1, want, in) == want &&
           std::fwrite(buffer.data(), 1, want, out) == want;
      crc = crc32(crc, buffer.data(), uInt(want));
      left -= uint32_t(want);
    }
    if (in)
      std::fclose(in);
    if (out)
      ok = std::fclose(out) == 0 && ok;
    if (!ok || uint32_t(~crc) != f.crc) {
      state.SkipWithError("copy failed");
      break;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kEntrySize);
}

// Each benchmark runs a few times; the summary takes the median.
void Configure(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(ExtractZlib)->Apply(Configure);
BENCHMARK(ExtractZlibBuffered)->Apply(Configure);
BENCHMARK(ExtractZlibToSink)->Apply(Configure);
BENCHMARK(RawInflate)->Apply(Configure);
BENCHMARK(RawInflateToFile)->Apply(Configure);
BENCHMARK(ExtractStored)->Apply(Configure);
BENCHMARK(ExtractStoredBuffered)->Apply(Configure);
BENCHMARK(ExtractStoredToSink)->Apply(Configure);
BENCHMARK(RawCopy)->Apply(Configure);

// The console table as usual, and each benchmark's median time kept for the
// summary.
class Summary : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
          !run.error_occurred)
        seconds_[run.run_name.function_name] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    ConsoleReporter::ReportRuns(runs);
  }

  void Print() const {
    if (seconds_.empty())
      return;
    std::printf("\nthroughput (MB = 10^6 bytes of extracted data; median of 5 runs)\n");
    for (const char* name :
         {"ExtractZlib", "ExtractZlibBuffered", "ExtractZlibToSink", "RawInflate",
          "RawInflateToFile", "ExtractStored", "ExtractStoredBuffered", "ExtractStoredToSink",
          "RawCopy"})
      if (double mbs = Rate(name); mbs > 0)
        std::printf("  %-21s %8.1f MB/s\n", name, mbs);
    Ratio("zlib extraction/raw inflate", "ExtractZlib", "RawInflate");
    Ratio("zlib extraction/raw inflate to a file", "ExtractZlib", "RawInflateToFile");
    Ratio("zlib buffered extraction/raw inflate", "ExtractZlibBuffered", "RawInflate");
    Ratio("zlib extraction to a sink/raw inflate", "ExtractZlibToSink", "RawInflate");
    Ratio("stored extraction/raw copy", "ExtractStored", "RawCopy");

  }

private:
  double Rate(const std::string& name) const {
    auto it = seconds_.find(name);
    return it == seconds_.end() || it->second <= 0 ? 0 : kEntrySize / 1e6 / it->second;
  }

  void Ratio(const char* what, const char* extract, const char* raw) const {
    if (Rate(extract) > 0 && Rate(raw) > 0)
      std::printf("  %-38s %5.2f\n", what, Rate(extract) / Rate(raw));
  }

  std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  if (!Shared().ready) {
    std::fprintf(stderr, "qar_bench: cannot build the archive in a scratch folder\n");
    return 1;
  }
  std::printf("zlib entry: %u bytes deflated at level 6 to %zu (%.1f%%)\n", kEntrySize,
              Shared().compressed.size(), 100.0 * double(Shared().compressed.size()) / kEntrySize);
  Summary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  summary.Print();
  benchmark::Shutdown();
  return 0;
}
