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

void TrafficLog::Record(TrafficEntry entry, const std::string& userAgent) {
  const std::lock_guard lock(mutex_);
  // The module sends its own fixed User-Agent with every request.
  if (userAgent == zorvane::UserAgent && entry.method == "GET") {
    if (IsRiddlePagePath(entry.path)) {
      moduleFetches_.riddlePage = entry;
    } else if (entry.path == UpdatePagePath) {
      moduleFetches_.updatePage = entry;
    }
  }
  const auto counted = counts_.find(entry.path);
  if (counted != counts_.end()) {
    ++counted->second;
  } else if (counts_.size() < CountedPaths) {
    counts_.emplace(entry.path, 1);
  } else {
    ++counts_[OtherPaths];
  }
  recent_.push_front(std::move(entry));
  if (recent_.size() > KeptRequests) {
    recent_.pop_back();
  }
}

std::vector<TrafficEntry> TrafficLog::Recent() const {
  const std::lock_guard lock(mutex_);
  return {recent_.begin(), recent_.end()};
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
