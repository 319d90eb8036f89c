// HTTP GET with libcurl, putting on the wire the same request as the Windows
// build: "GET <path> HTTP/1.0", the same User-Agent and one "Accept: */*".
#include <curl/curl.h>

#include <cstring>
#include <string>

#include "net/http_get.h"

namespace zorvane {
namespace {

constexpr long MaxRedirects = 10;

// The module's one curl handle: made by the first request that needs it (not
// at load), reused by every later one, cleaned up when the module unloads.
class WebClient {
 public:
  constexpr WebClient() = default;
  WebClient(const WebClient&) = delete;
  WebClient& operator=(const WebClient&) = delete;
  ~WebClient() {
    if (handle_ != nullptr) {
      curl_easy_cleanup(handle_);
      curl_slist_free_all(headers_);
      curl_global_cleanup();
    }
  }

  // The handle with every option reset; null when curl cannot start, in
  // which case the next request tries again.
  CURL* FreshHandle() {
    if (handle_ == nullptr && !Open()) {
      return nullptr;
    }
    curl_easy_reset(handle_);
    return handle_;
  }

  curl_slist* Headers() const { return headers_; }

 private:
  bool Open() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
      return false;
    }
    handle_ = curl_easy_init();
    headers_ = curl_slist_append(nullptr, "Accept: */*");
    if (handle_ == nullptr || headers_ == nullptr) {
      curl_easy_cleanup(handle_);
      curl_slist_free_all(headers_);
      handle_ = nullptr;
      headers_ = nullptr;
      curl_global_cleanup();
      return false;
    }
    return true;
  }

  CURL* handle_ = nullptr;
  curl_slist* headers_ = nullptr;
};

WebClient webClient;

// A blank cannot go on a request line, so it is sent as "%20" (a blank is
// never part of a GBK character). Other bytes are left to curl, which escapes
// bytes from 0x80 up in the path (servers decode them to the same bytes),
// sends the query as it is, and refuses control bytes: such a URL gives the
// empty buffer, so nothing can be smuggled into the request's head.
std::string EscapeBlanks(TextView url) {
  std::string escaped;
  for (const char c : url) {
    if (c == ' ') {
      escaped += "%20";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// The URL as it will be requested (dot segments resolved), or the empty
// string when it is not an absolute http or https URL.
std::string RequestableUrl(TextView url) {
  std::string requestable;
  CURLU* parsed = curl_url();
  if (parsed == nullptr) {
    return requestable;
  }
  char* scheme = nullptr;
  char* normalised = nullptr;
  // No scheme guessing: "host/page" is not a URL here.
  if (curl_url_set(parsed, CURLUPART_URL, EscapeBlanks(url).c_str(), 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      (std::strcmp(scheme, "http") == 0 || std::strcmp(scheme, "https") == 0) &&
      curl_url_get(parsed, CURLUPART_URL, &normalised, 0) == CURLUE_OK) {
    requestable = normalised;
  }
  curl_free(normalised);
  curl_free(scheme);
  curl_url_cleanup(parsed);
  return requestable;
}

// The body as it arrives, kept up to the cap.
struct Body {
  ByteBuffer bytes;
  std::size_t cap = 0;
};

// Runs inside curl: must not throw. Returning less than it was given stops
// the transfer; what was kept stays.
std::size_t KeepBody(char* data, std::size_t size, std::size_t count, void* userData) {
  auto& body = *static_cast<Body*>(userData);
  const std::size_t given = size * count;
  const std::size_t room = body.cap - body.bytes.size();
  const std::size_t kept = given < room ? given : room;
  try {
    body.bytes.insert(body.bytes.end(), data, data + kept);
  } catch (...) {
    return 0;
  }
  return kept;
}

void SetRequestOptions(CURL* handle, const std::string& url, const HttpLimits& limits, Body& body) {
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, MaxRedirects);
  curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(handle, CURLOPT_USERAGENT, UserAgent);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, webClient.Headers());
  // Nothing is kept between calls.
  curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
  // No signals in the host's process (name look-up time-outs use them otherwise).
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &KeepBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
}

}  // namespace

// The status is never looked at: an error page's body comes back like any
// other. Whatever ends the transfer (time-out, cap, broken connection), the
// bytes kept so far are the result.
ByteBuffer HttpGet(TextView url) {
  url = UpToNul(url);
  if (url.empty()) {
    return ByteBuffer();
  }
  Body body;
  try {
    const std::string requestable = RequestableUrl(url);
    if (requestable.empty()) {
      return ByteBuffer();
    }
    CURL* handle = webClient.FreshHandle();
    if (handle == nullptr) {
      return ByteBuffer();
    }
    const HttpLimits limits = CurrentHttpLimits();
    body.cap = limits.maxBodyBytes;
    SetRequestOptions(handle, requestable, limits, body);
    curl_easy_perform(handle);
  } catch (...) {
    // Bytes received so far.
  }
  return std::move(body.bytes);
}

}  // namespace zorvane
