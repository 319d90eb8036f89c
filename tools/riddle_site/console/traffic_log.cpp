#include "console/traffic_log.h"

#include <algorithm>
#include <string_view>

#include "game/contract.h"
#include "net/http_get.h"
#include "site/site_pages.h"

namespace riddle_site {
namespace {

bool IsRiddlePagePath(std::string_view path) {
  return path.starts_with(zorvane::RiddlePathPrefix) && path.ends_with(zorvane::RiddlePathSuffix);
}

}  // namespace

void TrafficLog::Record(const RequestSeen& request, std::string_view userAgent) {
  const std::lock_guard lock(mutex_);
  if (recent_.size() < KeptRequests) {
    recent_.emplace_back();
    newest_ = recent_.size() - 1;
  } else {
    newest_ = (newest_ + 1) % KeptRequests;
  }
  // The oldest entry's strings take the new texts in the memory they have.
  TrafficEntry& entry = recent_[newest_];
  entry.time = request.time;
  entry.client.assign(request.client);
  entry.method.assign(request.method);
  entry.path.assign(request.path);
  entry.status = request.status;
  entry.bytes = request.bytes;
  // The module sends its own fixed User-Agent with every request.
  if (userAgent == zorvane::UserAgent && entry.method == "GET") {
    if (IsRiddlePagePath(entry.path)) {
      moduleFetches_.riddlePage = entry;
    } else if (entry.path == UpdatePagePath) {
      moduleFetches_.updatePage = entry;
    }
  }
  const auto counted = counts_.find(request.path);
  if (counted != counts_.end()) {
    ++counted->second;
  } else if (counts_.size() < CountedPaths) {
    counts_.emplace(request.path, 1);
  } else {
    ++counts_[OtherPaths];
  }
}

std::vector<TrafficEntry> TrafficLog::Recent() const {
  const std::lock_guard lock(mutex_);
  std::vector<TrafficEntry> newestFirst;
  newestFirst.reserve(recent_.size());
  for (std::size_t i = 0; i < recent_.size(); ++i) {
    newestFirst.push_back(recent_[(newest_ + recent_.size() - i) % recent_.size()]);
  }
  return newestFirst;
}

std::vector<PathCount> TrafficLog::Counts() const {
  std::vector<PathCount> counts;
  {
    const std::lock_guard lock(mutex_);
    for (const auto& [path, count] : counts_) {
      counts.push_back({path, count});
    }
  }
  std::stable_sort(counts.begin(), counts.end(),
                   [](const PathCount& a, const PathCount& b) { return a.count > b.count; });
  return counts;
}

ModuleFetches TrafficLog::LastModuleFetches() const {
  const std::lock_guard lock(mutex_);
  return moduleFetches_;
}

}  // namespace riddle_site
