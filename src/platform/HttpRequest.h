#pragma once
// Synchronous HTTP POST over libcurl: "Content-Type: text/xml" and no other
// header that can be left out, TLS peer and host verification on, a connect
// and a total time-out. The reply body is returned whatever the status.
#include <memory>
#include <string>
#include <string_view>

namespace corvenna {

struct HttpReply {
  long status = 0;  // the HTTP status code
  std::string body;
};
// HttpPostXml (below), with the status the reply came with.
HttpReply HttpPostXmlReply(const std::string& url, const std::string& body);

struct HttpTimeouts {
  long connectSeconds = 30;
  long totalSeconds = 120;
};

// Raises EHttpError (with curl's reason and the URL as DisplayedUrl shows it)
// when no reply was obtained: a malformed or unreachable endpoint, a TLS
// failure, a time-out.
std::string HttpPostXml(const std::string& url, const std::string& body);

// The URL as every message and log shows it: without its user-info part
// ("name:secret@"), and with each control character percent-encoded, so that
// neither a password nor a line break of the setting reaches them.
std::string DisplayedUrl(std::string_view url);

// While one is open, the posts of its thread keep their connection for the
// next post to the same server instead of opening one each; a server that has
// closed it meanwhile gets a new one. Its end closes the connection. An inner
// one on the same thread adds nothing.
class HttpKeepAlive {
 public:
  HttpKeepAlive();
  ~HttpKeepAlive();
  HttpKeepAlive(const HttpKeepAlive&) = delete;
  HttpKeepAlive& operator=(const HttpKeepAlive&) = delete;

 private:
  friend HttpReply HttpPostXmlReply(const std::string& url, const std::string& body);
  struct Connection;
  std::unique_ptr<Connection> connection_;
};

// The time-outs every post uses; tests shorten them. A value of 0 or less
// gives the default, never "no limit".
HttpTimeouts GetHttpTimeouts();
void SetHttpTimeouts(HttpTimeouts timeouts);

}  // namespace corvenna
