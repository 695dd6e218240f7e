#include "platform/HttpRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/Errors.h"

namespace corvenna {

namespace {

// A reply larger than this is no OTA message we could handle; stop reading.
constexpr size_t kMaxReplyBytes = 64u * 1024u * 1024u;

std::mutex timeoutsMutex;
HttpTimeouts timeouts;

void InitCurlOnce() {
  static std::once_flag once;
  static CURLcode status = CURLE_OK;
  std::call_once(once, [] { status = curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (status != CURLE_OK) throw EHttpError(Format("Could not initialise the HTTP client: %s", curl_easy_strerror(status)));
}

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

HeaderList MakeHeaders() {
  HeaderList list;
  for (const char* header : {"Content-Type: text/xml", "Accept:", "Expect:"}) {
    curl_slist* grown = curl_slist_append(list.get(), header);
    if (!grown) throw EHttpError("Could not build the HTTP request headers");
    list.release();
    list.reset(grown);
  }
  return list;
}

// A proxy from the environment is honoured, but never for loopback.
std::string NoProxyList() {
  std::string list = "localhost,127.0.0.1,::1";
  for (const char* name : {"NO_PROXY", "no_proxy"}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::string(value) + "," + list;
  }
  return list;
}

struct ReplyBuffer {
  std::string body;
  bool tooLarge = false;
};

size_t AppendReply(char* data, size_t size, size_t count, void* userdata) {
  auto* reply = static_cast<ReplyBuffer*>(userdata);
  const size_t bytes = size * count;
  if (reply->body.size() + bytes > kMaxReplyBytes) {
    reply->tooLarge = true;
    return 0;
  }
  reply->body.append(data, bytes);
  return bytes;
}

// After "scheme://"; without a scheme, curl takes the text for a host and
// what follows it, and a "://" further on is part of the path.
size_t AuthorityStart(std::string_view url) {
  const size_t schemeEnd = url.find("://");
  return schemeEnd != std::string_view::npos && url.find('/') == schemeEnd + 1 ? schemeEnd + 3 : 0;
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7f)
      out += Format("%%%02X", code);
    else
      out += c;
  }
}

void Set(CURL* handle, CURLoption option, auto value) {
  if (CURLcode status = curl_easy_setopt(handle, option, value); status != CURLE_OK)
    throw EHttpError(Format("Could not set up the HTTP request: %s", curl_easy_strerror(status)));
}

// The keep-alive scope of this thread, if one is open. A plain pointer: a
// thread_local with a destructor would pin the library until the thread ends.
thread_local HttpKeepAlive* openKeepAlive = nullptr;

// The handle of one post: the scope's, which keeps its connection for the
// next post, or one of its own. The post's options point into its own
// buffers: they go when it ends, the connection stays.
class TPostHandle {
 public:
  TPostHandle(CURL* kept, const std::string& url) {
    if (!kept) own_.reset(curl_easy_init());
    handle_ = kept ? kept : own_.get();
    if (!handle_) throw EHttpError("Could not create an HTTP request for " + DisplayedUrl(url));
  }
  ~TPostHandle() {
    if (!own_) curl_easy_reset(handle_);
  }
  TPostHandle(const TPostHandle&) = delete;
  TPostHandle& operator=(const TPostHandle&) = delete;

  CURL* get() const { return handle_; }

 private:
  CurlHandle own_;
  CURL* handle_ = nullptr;
};

void SetUpPost(CURL* handle, const std::string& url, const std::string& body, curl_slist* headers,
               const std::string& noProxy, char* errorText, ReplyBuffer& reply) {
  const HttpTimeouts limits = GetHttpTimeouts();
  Set(handle, CURLOPT_ERRORBUFFER, errorText);
  Set(handle, CURLOPT_URL, url.c_str());
  Set(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  Set(handle, CURLOPT_NOSIGNAL, 1L);
  Set(handle, CURLOPT_POST, 1L);
  Set(handle, CURLOPT_POSTFIELDS, body.data());
  Set(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  Set(handle, CURLOPT_HTTPHEADER, headers);
  Set(handle, CURLOPT_FOLLOWLOCATION, 0L);
  Set(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  Set(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  Set(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
  Set(handle, CURLOPT_TIMEOUT, limits.totalSeconds);
  Set(handle, CURLOPT_NOPROXY, noProxy.c_str());
  Set(handle, CURLOPT_WRITEFUNCTION, AppendReply);
  Set(handle, CURLOPT_WRITEDATA, &reply);
}

}  // namespace

struct HttpKeepAlive::Connection {
  CurlHandle handle;
};

HttpKeepAlive::HttpKeepAlive() {
  if (openKeepAlive) return;
  InitCurlOnce();
  connection_ = std::make_unique<Connection>();
  connection_->handle.reset(curl_easy_init());
  if (!connection_->handle) throw EHttpError("Could not create an HTTP connection to keep");
  openKeepAlive = this;
}

HttpKeepAlive::~HttpKeepAlive() {
  if (openKeepAlive == this) openKeepAlive = nullptr;
}

std::string DisplayedUrl(std::string_view url) {
  const size_t authorityStart = AuthorityStart(url);
  // A '?' or '#' in a password would end the authority for a parser; the
  // first '/' is taken as its end, so that no part of a password is shown.
  const size_t authorityEnd = std::min(url.find('/', authorityStart), url.size());
  const size_t at = url.substr(0, authorityEnd).rfind('@');
  std::string shown;
  if (at == std::string_view::npos || at < authorityStart) {
    AppendEscaped(shown, url);
  } else {
    AppendEscaped(shown, url.substr(0, authorityStart));
    AppendEscaped(shown, url.substr(at + 1));
  }
  return shown;
}

HttpTimeouts GetHttpTimeouts() {
  std::lock_guard lock(timeoutsMutex);
  return timeouts;
}

void SetHttpTimeouts(HttpTimeouts value) {
  // Zero would mean no limit to curl; a post must never wait forever.
  const HttpTimeouts defaults;
  if (value.connectSeconds <= 0) value.connectSeconds = defaults.connectSeconds;
  if (value.totalSeconds <= 0) value.totalSeconds = defaults.totalSeconds;
  std::lock_guard lock(timeoutsMutex);
  timeouts = value;
}

HttpReply HttpPostXmlReply(const std::string& url, const std::string& body) {
  InitCurlOnce();
  TPostHandle curl(openKeepAlive ? openKeepAlive->connection_->handle.get() : nullptr, url);
  HeaderList headers = MakeHeaders();
  const std::string noProxy = NoProxyList();
  char errorText[CURL_ERROR_SIZE] = {};
  ReplyBuffer reply;

  CURL* handle = curl.get();
  SetUpPost(handle, url, body, headers.get(), noProxy, errorText, reply);
  // A kept connection that the server has closed is found dead before use, or
  // fails before any reply; curl then posts once more on a new connection.
  const CURLcode status = curl_easy_perform(handle);
  if (status != CURLE_OK) {
    const std::string reason = reply.tooLarge ? Format("the reply exceeds %zu bytes", kMaxReplyBytes)
                               : *errorText   ? std::string(errorText)
                                              : std::string(curl_easy_strerror(status));
    throw EHttpError(Format("HTTP POST to %s failed: %s", DisplayedUrl(url).c_str(), reason.c_str()));
  }
  long httpStatus = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &httpStatus);
  return {httpStatus, std::move(reply.body)};
}

std::string HttpPostXml(const std::string& url, const std::string& body) { return HttpPostXmlReply(url, body).body; }

}  // namespace corvenna
