// The bounds every HTTP GET is held to.
#include "net/http_get.h"

namespace zorvane {
namespace {

HttpLimits& Limits() {
  static HttpLimits limits;
  return limits;
}

}  // namespace

void SetHttpLimitsForTesting(const HttpLimits& limits) {
  Limits() = limits;
}

HttpLimits CurrentHttpLimits() {
  return Limits();
}

}  // namespace zorvane
