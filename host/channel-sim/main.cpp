// channel-sim: the channel manager's exchange service on a loopback port.
#include <csignal>
#include <iostream>
#include <stdexcept>
#include <string>

#include "ChannelSim.h"

namespace {

constexpr const char* kUsage =
    "usage: channel-sim --port N --reservations DIR [--only read|report|avail|rate|updates|all]\n"
    "                   [--fault TEXT] [--ota-error CODE:TEXT]... [--non-xml] [--http-status N]\n"
    "                   [--delay-ms N] [--drop] [--log DIR]\n"
    "  --port 0 picks a free port; the first line printed is \"listening on 127.0.0.1:PORT\".\n"
    "  --only limits the switches to those messages (default: all).\n"
    "  --drop closes the connection instead of replying.\n"
    "  A reservation is offered by every read until a success report for it arrives.\n";

struct CommandLine {
  int port = -1;
  std::string reservations;
  std::string logDir;
  channelsim::Options options;
  bool fault = false, otaErrors = false, nonXml = false, httpStatus = false, delay = false, drop = false;
  unsigned kinds = channelsim::kAll;
};

int ToInt(const std::string& text, const std::string& option) {
  try {
    size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used == text.size()) return value;
  } catch (const std::exception&) {
  }
  throw std::invalid_argument(option + " needs a number, not '" + text + "'");
}

unsigned KindsOf(const std::string& name) {
  if (name == "read") return channelsim::kRead;
  if (name == "report") return channelsim::kReport;
  if (name == "avail") return channelsim::kAvail;
  if (name == "rate") return channelsim::kRate;
  if (name == "updates") return channelsim::kUpdates;
  if (name == "all") return channelsim::kAll;
  throw std::invalid_argument("--only takes read, report, avail, rate, updates or all, not '" + name + "'");
}

channelsim::OtaErrorItem OtaErrorOf(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0) throw std::invalid_argument("--ota-error needs CODE:TEXT");
  return {"3", text.substr(0, colon), text.substr(colon + 1)};
}

CommandLine Parse(int argc, char** argv) {
  CommandLine line;
  bool firstOtaError = true;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
      return argv[++i];
    };
    if (option == "--port") line.port = ToInt(value(), option);
    else if (option == "--reservations") line.reservations = value();
    else if (option == "--log") line.logDir = value();
    else if (option == "--only") line.kinds = KindsOf(value());
    else if (option == "--fault") line.fault = true, line.options.fault.text = value();
    else if (option == "--non-xml") line.nonXml = true;
    else if (option == "--drop") line.drop = true;
    else if (option == "--http-status") line.httpStatus = true, line.options.httpStatus.status = ToInt(value(), option);
    else if (option == "--delay-ms") line.delay = true, line.options.delay.ms = ToInt(value(), option);
    else if (option == "--ota-error") {
      if (firstOtaError) line.options.otaErrors.errors.clear();
      firstOtaError = false;
      line.otaErrors = true;
      line.options.otaErrors.errors.push_back(OtaErrorOf(value()));
    } else {
      throw std::invalid_argument("unknown option '" + option + "'");
    }
  }
  if (line.port < 0 || line.port > 65535 || line.reservations.empty())
    throw std::invalid_argument("--port and --reservations are required");
  channelsim::Options& o = line.options;
  o.fault.kinds = line.fault ? line.kinds : channelsim::kNone;
  o.otaErrors.kinds = line.otaErrors ? line.kinds : channelsim::kNone;
  o.nonXml.kinds = line.nonXml ? line.kinds : channelsim::kNone;
  o.httpStatus.kinds = line.httpStatus ? line.kinds : channelsim::kNone;
  o.delay.kinds = line.delay ? line.kinds : channelsim::kNone;
  o.drop.kinds = line.drop ? line.kinds : channelsim::kNone;
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  try {
    line = Parse(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "channel-sim: " << error.what() << "\n" << kUsage;
    return 2;
  }

  // Blocked before any thread starts, so that only the wait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  try {
    channelsim::ChannelSim sim(line.reservations, line.options, line.port);
    if (!line.logDir.empty()) sim.SetLogDir(line.logDir);
    std::cout << "listening on 127.0.0.1:" << sim.Port() << std::endl;
    int received = 0;
    sigwait(&stopSignals, &received);
    sim.Stop();
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
