// qar: the package author's tool. Dispatches to the subcommands.
#include "tool.h"

#include <cstdio>
#include <string>

namespace {

const char kHelp[] =
    "usage: qar COMMAND [options] ARGS...\n"
    "\n"
    "commands:\n"
    "  create    write a new archive or setup package from files and folders\n"
    "  list      list the entries of an archive\n"
    "  test      decode the entries and check their checksums\n"
    "  extract   extract the entries into a folder\n"
    "  info      show an archive's header, base offset, volume and counts\n"
    "\n"
    "'qar COMMAND --help' describes each. 'qar --version' prints the versions.\n"
    "\n"
    "An archive split into volumes is ARCHIVE (say DEMO.QAR or SETUP.EXE), then\n"
    "ARCHIVE with its extension replaced by .Q02, .Q03, ... (DEMO.Q02, DEMO.Q03,\n"
    "..., DEMO.Q10) in the same folder; list, test and extract follow them.\n"
    "\n"
    "On a terminal, create, test and extract show their progress on standard\n"
    "error. Errors go to standard error as 'qar: FILE: message (error N)'.\n"
    "\n"
    "exit status: 0 on success; else the archive library's error number (1 to\n"
    "20) of the first failure: 2 stopped, 4 unknown method, 5 damaged data or\n"
    "wrong password, 6 damaged header, 7 read error, 8 cannot write (refused\n"
    "names included), 11 not an archive, 13 cannot open, 14 no entry matches;\n"
    "64 for a usage error.\n";

} // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    return UsageError("", "no command given");
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  QarInit();
  int status = kUsageError;
  if (command == "create")
    status = RunCreate(args);
  else if (command == "list")
    status = RunList(args);
  else if (command == "test")
    status = RunTest(args);
  else if (command == "extract")
    status = RunExtract(args);
  else if (command == "info")
    status = RunInfo(args);
  else if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kHelp, stdout);
    status = 0;
  } else if (command == "--version") {
    std::printf("qar %s, archive library 0x%08X\n", QAR_TOOL_VERSION, unsigned(QarGetVersion()));
    status = 0;
  } else {
    UsageError("", "unknown command " + command);
  }
  QarExit();
  std::fflush(stdout);
  return status;
}
