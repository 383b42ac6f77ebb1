// The progress bar of create, test and extract: files done, bytes done and
// the rate, redrawn in place on standard error at most ten times a second.
// It is drawn only on a terminal, so that logs and pipes get no progress.
#include "platform.h"
#include "tool.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// One bar for the one command a process runs; the library's callback, which
// feeds it, carries no pointer.
struct Bar {
  bool shown = false;
  uint32_t files = 0, filesDone = 0;
  uint64_t bytes = 0, bytesDone = 0, entryDone = 0;
  Clock::time_point start, drawn;
  size_t width = 0; // of the last line drawn
} bar;

void Draw(bool now) {
  Clock::time_point at = Clock::now();
  if (!now && at - bar.drawn < std::chrono::milliseconds(100))
    return;
  bar.drawn = at;
  const uint64_t done = bar.bytesDone + bar.entryDone;
  const double seconds = std::chrono::duration<double>(at - bar.start).count();
  const uint64_t rate = seconds > 0 ? uint64_t(double(done) / seconds) : 0;
  constexpr int kCells = 20;
  const int filled = bar.bytes   ? int(done * kCells / bar.bytes)
                     : bar.files ? int(bar.filesDone * kCells / bar.files)
                                 : 0;
  char cells[kCells + 1];
  for (int i = 0; i < kCells; ++i)
    cells[i] = i < filled ? '#' : '-';
  cells[kCells] = '\0';
  char line[160];
  int length = std::snprintf(line, sizeof line, "\r[%s] %u/%u files  %s of %s  %s/s", cells,
                             bar.filesDone, bar.files, SizeText(done).c_str(),
                             SizeText(bar.bytes).c_str(), SizeText(rate).c_str());
  size_t written = length < 0 ? 0 : size_t(length) < sizeof line ? size_t(length) : sizeof line - 1;
  std::fputs(line, stderr);
  for (size_t i = written; i < bar.width; ++i) // wipe what a longer line left
    std::fputc(' ', stderr);
  bar.width = written;
  std::fflush(stderr);
}

} // namespace

void ProgressBegin(uint32_t files, uint64_t bytes) {
  bar = Bar{};
  bar.shown = IsTerminal(stderr);
  bar.files = files;
  bar.bytes = bytes;
  bar.start = Clock::now();
  if (bar.shown)
    Draw(true);
}

void ProgressEntry(uint64_t done) {
  if (!bar.shown)
    return;
  bar.entryDone = done;
  Draw(false);
}

void ProgressFileDone(uint64_t size) {
  if (!bar.shown)
    return;
  ++bar.filesDone;
  bar.bytesDone += size;
  bar.entryDone = 0;
  Draw(false);
}

void ProgressClear() {
  if (!bar.shown || bar.width == 0)
    return;
  std::fputc('\r', stderr);
  for (size_t i = 0; i < bar.width; ++i)
    std::fputc(' ', stderr);
  std::fputc('\r', stderr);
  std::fflush(stderr);
  bar.width = 0;
}

void ProgressEnd() {
  if (!bar.shown)
    return;
  Draw(true);
  std::fputc('\n', stderr);
  bar = Bar{};
}
