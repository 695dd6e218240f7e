// retrieve, avail and dialog: one call of the library's exports each.
#include <iostream>
#include <regex>

#include "CorvennaLibrary.h"
#include "HostCommands.h"
#include "HostError.h"
#include "platform/DateTime.h"

namespace quendale {
namespace {

double ParseDate(const std::string& text) {
  static const std::regex iso(R"((\d{4})-(\d{2})-(\d{2}))");
  std::smatch parts;
  if (std::regex_match(text, parts, iso)) {
    const int year = std::stoi(parts[1]), month = std::stoi(parts[2]), day = std::stoi(parts[3]);
    if (corvenna::IsValidDate(year, month, day)) return corvenna::EncodeDate(year, month, day);
  }
  throw UsageError("'" + text + "' is not a date YYYY-MM-DD");
}

void ExpectNoArguments(const Arguments& args, const char* command) {
  if (!args.empty()) throw UsageError(std::string(command) + " takes no argument '" + args[0] + "'");
}

}  // namespace

void RunRetrieve(const Arguments& args, const std::string& libraryPath) {
  bool withMessages = false;
  for (const std::string& arg : args) {
    if (arg != "--messages") throw UsageError("retrieve takes --messages, not '" + arg + "'");
    withMessages = true;
  }
  CorvennaLibrary library(FindCorvennaLibrary(libraryPath));
  const int32_t count = library.BookingRetrival(withMessages);
  std::cout << count << std::endl;
  if (count < 0) throw HostError("CorvennaBookingRetrival failed: " + library.LastError());
}

void RunAvail(const Arguments& args, const std::string& libraryPath) {
  if (args.size() != 2) throw UsageError("usage: quendale-host avail YYYY-MM-DD YYYY-MM-DD");
  const double from = ParseDate(args[0]);
  const double to = ParseDate(args[1]);
  CorvennaLibrary library(FindCorvennaLibrary(libraryPath));
  library.AvailUpdate(from, to);
}

void RunDialog(const Arguments& args, const std::string& libraryPath) {
  ExpectNoArguments(args, "dialog");
  CorvennaLibrary library(FindCorvennaLibrary(libraryPath));
  library.ShowDialog();
}

}  // namespace quendale
