#pragma once
// Synchronous HTTP POST over libcurl: "Content-Type: text/xml" and no other
// header that can be left out, TLS peer and host verification on, a connect
// and a total time-out. The reply body is returned whatever the status.
#include <string>

namespace corvenna {

struct HttpTimeouts {
  long connectSeconds = 30;
  long totalSeconds = 120;
};

// Raises EHttpError (with curl's reason and the URL) when no reply was obtained:
// a malformed or unreachable endpoint, a TLS failure, a time-out.
std::string HttpPostXml(const std::string& url, const std::string& body);

// The time-outs every post uses; tests shorten them. A value of 0 or less
// gives the default, never "no limit".
HttpTimeouts GetHttpTimeouts();
void SetHttpTimeouts(HttpTimeouts timeouts);

}  // namespace corvenna
