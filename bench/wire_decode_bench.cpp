// Strict decoding and mapping of a stories answer against nlohmann's plain DOM parse of the same
// bytes (no checks, no records, no mapping): the goal is to be at least twice as fast.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include <orvane/api/wire/story_mapping.h>
#include "bench/support/stories_answer.h"

namespace {

using orvane::bench::fastestSeconds;

// MiB/s over enough repetitions of `work` to last a fair while.
template <typename Work>
double throughput(const std::string& body, Work&& work) {
  const int repetitions = static_cast<int>(std::max<std::size_t>(1, (64u << 20) / body.size()));
  const double seconds = fastestSeconds(5, [&] {
    for (int i = 0; i < repetitions; ++i) work();
  });
  return static_cast<double>(body.size()) * repetitions / seconds / (1 << 20);
}

}  // namespace

int main() {
  const orvane::Date now{};
  std::printf(
      "Stories answer: strict decode+map vs nlohmann DOM parse of the same bytes (goal: ratio >= 2)\n");
  std::printf("%-10s %10s %16s %16s %8s\n", "groups", "bytes", "decode+map MiB/s", "DOM parse MiB/s",
              "ratio");
  for (int groups : {10, 100}) {
    const std::string body = orvane::bench::storiesAnswer(groups);
    bool failed = false;
    const double decoded = throughput(body, [&] {
      auto payload = orvane::decodeStoriesPayload(body);
      if (!payload.ok()) {
        failed = true;
        return;
      }
      auto groupsMapped = orvane::mapStoryGroups(std::move(payload).value(), now);
      if (groupsMapped.empty()) failed = true;
    });
    std::size_t keys = 0;
    const double parsed = throughput(body, [&] { keys += nlohmann::json::parse(body).size(); });
    if (failed || keys == 0) {
      std::printf("decoding failed\n");
      return 1;
    }
    std::printf("%-10d %10zu %16.1f %16.1f %7.2fx\n", groups, body.size(), decoded, parsed, decoded / parsed);
  }
  return 0;
}
