#pragma once
// What the channel manager answers to one posted request, given its switches
// and the reservations already delivered.
#include <set>
#include <string>
#include <vector>

#include "ChannelSim.h"

namespace channelsim {

struct Answer {
  int status = 200;
  std::string contentType = "text/xml; charset=utf-8";
  std::string body;
  std::string rootName;                  // the request's OTA element; empty if none was found
  std::vector<std::string> deliveredNow; // keys a success report marks delivered
  bool drop = false;                     // close the connection instead of replying
};

// The switch that applies to a request of that root name, if any.
unsigned KindOf(const std::string& rootName);

// readNumber: which read this is, from 1 (Options::readShare).
Answer HandleMessage(const std::string& requestBody, const Options& options, const std::string& reservationsDir,
                     const std::set<std::string>& delivered, int readNumber = 1);

// The local name of the OTA element of a request body, inside a SOAP body or bare; empty if none.
std::string RequestRootName(const std::string& requestBody);

}  // namespace channelsim
