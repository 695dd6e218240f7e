// quendale-host: the host product as far as the channel-manager plug-in sees it.
#include <iostream>
#include <string>

#include "HostCommands.h"
#include "HostError.h"

namespace {

constexpr const char* Usage =
    "usage: quendale-host [--library PATH] COMMAND ...\n"
    "  init [--sample-hotel] [--force]     host folders below Documents, the host database\n"
    "                                      (never replaced without --force), the translation file\n"
    "  reg set KEY NAME TYPE VALUE         TYPE: sz, expand_sz, dword, binary (hex), double\n"
    "  reg get KEY NAME                    prints TYPE and VALUE\n"
    "  reg delete KEY NAME\n"
    "  retrieve [--messages]               a booking retrieval; prints the count stored\n"
    "                                      (-1: it failed; the reason goes to standard error)\n"
    "  avail YYYY-MM-DD YYYY-MM-DD         an availability update, first and last night\n"
    "  dialog                              the configuration dialog\n"
    "  KEY as the registry writes it, e.g. Software\\Quendale\\Corvenna\n";

struct CommandLine {
  std::string libraryPath;
  std::string command;
  quendale::Arguments args;
};

CommandLine Parse(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--library" && line.command.empty()) {
      if (++i >= argc) throw quendale::UsageError("--library needs a path");
      line.libraryPath = argv[i];
    } else if (line.command.empty()) {
      line.command = arg;
    } else {
      line.args.push_back(arg);
    }
  }
  if (line.command.empty()) throw quendale::UsageError("no command given");
  return line;
}

void Run(const CommandLine& line) {
  using namespace quendale;
  if (line.command == "init") return RunInit(line.args);
  if (line.command == "reg") return RunReg(line.args);
  if (line.command == "retrieve") return RunRetrieve(line.args, line.libraryPath);
  if (line.command == "avail") return RunAvail(line.args, line.libraryPath);
  if (line.command == "dialog") return RunDialog(line.args, line.libraryPath);
  if (line.command == "--help" || line.command == "help") {
    std::cout << Usage;
    return;
  }
  throw UsageError("unknown command '" + line.command + "'");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Run(Parse(argc, argv));
    return 0;
  } catch (const quendale::UsageError& error) {
    std::cerr << "quendale-host: " << error.what() << "\n" << Usage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "quendale-host: " << error.what() << std::endl;
    return 1;
  }
}
