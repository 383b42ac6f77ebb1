// qar test: every selected entry decoded by the library into a stream that
// keeps nothing, so that only its checksum is compared.
#include "platform.h"
#include "tool.h"

#include <cstdio>

namespace {

const char kHelp[] =
    "usage: qar test [--password TEXT] ARCHIVE [PATTERN...]\n"
    "\n"
    "Decodes the entries of ARCHIVE and of the volumes that follow it, or those\n"
    "matching a PATTERN, and checks each one's data checksum. Prints OK and the\n"
    "name for each good entry, the error on standard error for each bad one,\n"
    "and a summary. Hidden entries are tested only when a PATTERN without\n"
    "wildcards names them.\n"
    "\n"
    "options:\n"
    "  --password TEXT   the password the data was scrambled with\n";

const std::vector<OptionSpec> kOptions = {{"password", 0, true}};

} // namespace

int RunTest(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  if (int status; !StartCommand("test", args, kOptions, kHelp, &parsed, &status))
    return status;
  if (parsed.operands.empty())
    return UsageError("test", "needs ARCHIVE");

  Outcome outcome;
  Catalog catalog;
  outcome.Note(ReadCatalog(parsed.operands[0], &catalog));
  if (catalog.volumes == 0)
    return outcome.status;
  const std::vector<std::string> patterns(parsed.operands.begin() + 1, parsed.operands.end());
  const std::vector<size_t> selected = SelectEntries(catalog, patterns, &outcome);

  size_t good = 0;
  DecodeSteps steps;
  steps.open = [](const Entry&, int* error) {
    QarStream* sink = OpenSink();
    if (!sink)
      *error = FailWith("test", "cannot open a scratch stream", QAR_ERR_WRITE);
    return sink;
  };
  steps.finish = [&](const Entry& entry, QarStream* sink, int error) {
    QarStreamClose(sink);
    if (error)
      return;
    ++good;
    ProgressClear();
    std::printf("OK  %s\n", entry.Name().c_str());
  };
  const std::string password = parsed.Value("password");
  DecodeEntries(catalog, selected, parsed.Has("password") ? &password : nullptr, steps, &outcome);

  const char* noun = selected.size() == 1 ? "entry" : "entries";
  if (good == selected.size())
    std::printf("%zu %s tested, all OK\n", selected.size(), noun);
  else
    std::printf("%zu %s tested, %zu failed\n", selected.size(), noun, selected.size() - good);
  return outcome.status;
}
