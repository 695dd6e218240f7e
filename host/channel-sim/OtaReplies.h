#pragma once
// The reply documents of the channel manager, each inside a SOAP 1.1 envelope.
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "ChannelSim.h"

namespace channelsim {

inline constexpr const char* kSoapNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kOtaNamespace = "http://www.opentravel.org/OTA/2003/05";

// A reply under construction: the envelope and its OTA root element.
class OtaReply {
 public:
  // rootName e.g. "OTA_ResRetrieveRS"; the echo token is left out when empty.
  OtaReply(const std::string& rootName, const std::string& echoToken);
  pugi::xml_node Root() const { return root_; }
  std::string Text() const;
  // Without escaping any value: for reservations loaded as written (their
  // references kept as text), beside values of the reply's own that need none.
  std::string TextAsWritten() const;

 private:
  pugi::xml_document doc_;
  pugi::xml_node root_;
};

// The reply name of a request name: "OTA_ReadRQ" gives "OTA_ResRetrieveRS".
std::string ReplyNameOf(const std::string& requestName);

std::string SuccessReply(const std::string& rootName, const std::string& echoToken);
std::string OtaErrorsReply(const std::string& rootName, const std::string& echoToken,
                           const std::vector<OtaErrorItem>& errors);
// faultCode without prefix: "Client" or "Server".
std::string SoapFault(const std::string& faultCode, const std::string& faultString);

// The current UTC time as xs:dateTime, e.g. "2026-05-01T10:00:00Z".
std::string UtcTimeStamp();

}  // namespace channelsim
