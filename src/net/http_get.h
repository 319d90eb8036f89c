// Fetching one URL with HTTP GET. Never reports an error: every failure
// gives the empty buffer or the bytes received before it.
#pragma once

#include <cstddef>

#include "runtime/byte_buffer.h"
#include "runtime/text.h"

namespace zorvane {

// Bounds that keep a broken or hostile server from holding the host's
// thread or exhausting its memory. (Plain milliseconds: <chrono> does not
// compile with the GBK execution character set.)
struct HttpLimits {
  long connectTimeoutMs = 10'000;
  long totalTimeoutMs = 30'000;
  std::size_t maxBodyBytes = 16u * 1024u * 1024u;
};

// Sent as the User-Agent of every request, on every platform.
inline constexpr char UserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The body of url (http or https only), whatever the status.
ByteBuffer HttpGet(TextView url);

// Replaces the limits (tests only, so that they need not wait 30 s).
void SetHttpLimitsForTesting(const HttpLimits& limits);
HttpLimits CurrentHttpLimits();

}  // namespace zorvane
