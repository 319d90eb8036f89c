// HTTP GET with WinINet.
//
// Unlike older builds, nothing is started at load (no WSAStartup): the
// module's start-up runs under the loader lock, and WinINet starts the
// socket layer itself when the first request needs it.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "net/http_get.h"

namespace zorvane {
namespace {

constexpr DWORD CanonicalUrlSize = 2084;
constexpr DWORD HostNameSize = 256;
constexpr DWORD UrlPathSize = 2048;
constexpr DWORD UserNameSize = 128;
constexpr DWORD PasswordSize = 128;
constexpr DWORD HttpFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;  // 0x84000000
constexpr DWORD HttpsFlags = HttpFlags | INTERNET_FLAG_SECURE;                    // 0x84800000
constexpr char AcceptHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD AcceptHeadersLength = sizeof AcceptHeaders - 1;  // 15
constexpr DWORD ContentLengthSize = 32;
constexpr DWORD DefaultChunk = 10240;
constexpr DWORD MaxChunk = 102400;

// The module's one internet handle: opened by the first request that gets
// that far, reused by every later one, closed when the module unloads.
class WebClient {
 public:
  constexpr WebClient() = default;
  WebClient(const WebClient&) = delete;
  WebClient& operator=(const WebClient&) = delete;
  ~WebClient() {
    if (internet_ != nullptr) {
      InternetCloseHandle(internet_);
    }
  }

  // Null when it cannot be opened; the next request tries again.
  HINTERNET Internet() {
    if (internet_ == nullptr) {
      internet_ = InternetOpenA(UserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    }
    return internet_;
  }

 private:
  HINTERNET internet_ = nullptr;
};

WebClient webClient;

// Closes a connection or request handle on every way out.
class ScopedInternetHandle {
 public:
  explicit ScopedInternetHandle(HINTERNET handle) : handle_(handle) {}
  ScopedInternetHandle(const ScopedInternetHandle&) = delete;
  ScopedInternetHandle& operator=(const ScopedInternetHandle&) = delete;
  ~ScopedInternetHandle() {
    if (handle_ != nullptr) {
      InternetCloseHandle(handle_);
    }
  }
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

// Unsafe characters stay as they are, escapes are not decoded, dot segments
// are resolved. Empty when the URL cannot be made canonical.
std::unique_ptr<char[]> CanonicalUrl(const char* url) {
  DWORD size = CanonicalUrlSize;
  auto canonical = std::make_unique<char[]>(size);
  if (InternetCanonicalizeUrlA(url, canonical.get(), &size, ICU_NO_ENCODE)) {
    return canonical;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return nullptr;
  }
  // size now holds what the URL needs.
  canonical = std::make_unique<char[]>(size);
  if (InternetCanonicalizeUrlA(url, canonical.get(), &size, ICU_NO_ENCODE)) {
    return canonical;
  }
  return nullptr;
}

struct UrlParts {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  char host[HostNameSize] = {};
  INTERNET_PORT port = 0;
  char path[UrlPathSize] = {};
  char user[UserNameSize] = {};
  char password[PasswordSize] = {};
};

// Query and fragment stay in the path: no buffer is asked for them.
bool SplitUrl(const char* url, UrlParts& parts) {
  URL_COMPONENTSA components = {};
  components.dwStructSize = sizeof components;
  components.lpszHostName = parts.host;
  components.dwHostNameLength = HostNameSize;
  components.lpszUrlPath = parts.path;
  components.dwUrlPathLength = UrlPathSize;
  components.lpszUserName = parts.user;
  components.dwUserNameLength = UserNameSize;
  components.lpszPassword = parts.password;
  components.dwPasswordLength = PasswordSize;
  if (!InternetCrackUrlA(url, 0, 0, &components)) {
    return false;
  }
  parts.scheme = components.nScheme;
  parts.port = components.nPort;
  return true;
}

// Follow the platform's own proxy configuration; results are ignored.
void SetProxyOptions(HINTERNET internet, HINTERNET connection) {
  INTERNET_PROXY_INFO proxy = {};
  proxy.dwAccessType = INTERNET_OPEN_TYPE_PRECONFIG;
  InternetSetOptionA(internet, INTERNET_OPTION_PROXY, &proxy, sizeof proxy);
  char empty[] = "";
  InternetSetOptionA(connection, INTERNET_OPTION_PROXY_USERNAME, empty, 1);
  InternetSetOptionA(connection, INTERNET_OPTION_PROXY_PASSWORD, empty, 1);
}

void SetTimeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
  InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
}

DWORD Milliseconds(long value) {
  return value > 0 ? static_cast<DWORD>(value) : 1;
}

// Bounds the request: a server that never answers or stalls must not hold
// the host's thread. Options set on the connection pass to its requests.
void SetTimeouts(HINTERNET handle, const HttpLimits& limits) {
  SetTimeout(handle, INTERNET_OPTION_CONNECT_TIMEOUT, Milliseconds(limits.connectTimeoutMs));
  SetTimeout(handle, INTERNET_OPTION_SEND_TIMEOUT, Milliseconds(limits.totalTimeoutMs));
  SetTimeout(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, Milliseconds(limits.totalTimeoutMs));
}

// The announced length + 1, at most 102400; 10240 when none is usable.
DWORD ReadChunkSize(HINTERNET request) {
  char length[ContentLengthSize] = {};
  DWORD size = ContentLengthSize;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
    return DefaultChunk;
  }
  length[ContentLengthSize - 1] = '\0';
  // strtoll reads as atol would, but saturates instead of overflowing.
  const long long announced = std::strtoll(length, nullptr, 10);
  if (announced <= 0) {
    return DefaultChunk;
  }
  return announced >= MaxChunk ? MaxChunk : static_cast<DWORD>(announced) + 1;
}

// Appends the body to result until it ends, a read fails, the total time is
// up or the cap is reached (keeping exactly the first maxBodyBytes bytes).
void ReadBody(HINTERNET request, const HttpLimits& limits, DWORD startTick, ByteBuffer& result) {
  const DWORD chunkSize = ReadChunkSize(request);
  std::unique_ptr<char[]> chunk(new (std::nothrow) char[chunkSize]);
  if (!chunk) {
    return;
  }
  const DWORD total = Milliseconds(limits.totalTimeoutMs);
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - startTick;
    if (elapsed >= total || result.size() >= limits.maxBodyBytes) {
      return;
    }
    // A single read may wait no longer than the time that is left.
    SetTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT, total - elapsed);
    DWORD delivered = 0;
    if (!InternetReadFile(request, chunk.get(), chunkSize, &delivered) || delivered == 0) {
      return;
    }
    const std::size_t room = limits.maxBodyBytes - result.size();
    const std::size_t kept = delivered < room ? delivered : room;
    result.insert(result.end(), chunk.get(), chunk.get() + kept);
  }
}

// Steps that may fail or throw; handles close as the scopes end, and result
// keeps what arrived.
void Fetch(const char* url, ByteBuffer& result) {
  const DWORD startTick = ::GetTickCount();
  const HttpLimits limits = CurrentHttpLimits();
  const std::unique_ptr<char[]> canonical = CanonicalUrl(url);
  if (!canonical) {
    return;
  }
  auto parts = std::make_unique<UrlParts>();
  if (!SplitUrl(canonical.get(), *parts)) {
    return;
  }
  DWORD flags = 0;
  if (parts->scheme == INTERNET_SCHEME_HTTP) {
    flags = HttpFlags;
  } else if (parts->scheme == INTERNET_SCHEME_HTTPS) {
    flags = HttpsFlags;
  } else {
    return;
  }
  const HINTERNET internet = webClient.Internet();
  if (internet == nullptr) {
    return;
  }
  const ScopedInternetHandle connection(InternetConnectA(internet, parts->host, parts->port,
                                                         parts->user, parts->password,
                                                         INTERNET_SERVICE_HTTP, 0, 0));
  if (connection.get() == nullptr) {
    return;
  }
  SetProxyOptions(internet, connection.get());
  SetTimeouts(connection.get(), limits);

  // The fragment is never sent.
  if (char* fragment = std::strchr(parts->path, '#')) {
    *fragment = '\0';
  }
  const char* acceptTypes[] = {"Accept: */* \r\n", nullptr};
  const ScopedInternetHandle request(HttpOpenRequestA(connection.get(), "GET", parts->path,
                                                      "HTTP/1.0", nullptr, acceptTypes, flags, 0));
  if (request.get() == nullptr) {
    return;
  }
  SetTimeouts(request.get(), limits);
  if (!HttpSendRequestA(request.get(), AcceptHeaders, AcceptHeadersLength, nullptr, 0)) {
    return;
  }
  ReadBody(request.get(), limits, startTick, result);
}

}  // namespace

// Never reports an error: the status is not looked at, and any failure gives
// the bytes received before it (the empty buffer when there are none).
ByteBuffer HttpGet(TextView url) {
  ByteBuffer result;
  url = UpToNul(url);
  if (url.empty()) {
    return result;
  }
  try {
    const Text terminated(url);
    Fetch(terminated.c_str(), result);
  } catch (...) {
    // Handles are closed by now; what arrived is returned.
  }
  return result;
}

}  // namespace zorvane
