#pragma once

// Stories answers shaped like the service's, for the benchmarks: `groups` groups of
// `itemsPerGroup` poll pages each, every field filled.
#include <chrono>
#include <cstdio>
#include <string>

namespace orvane::bench {

inline std::string uuid(int n) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "00000000-0000-4000-8000-%012X", n);
  return buffer;
}

inline std::string storiesAnswer(int groups, int itemsPerGroup = 10) {
  std::string body = R"({"groups": [)";
  int next = 1;
  for (int g = 0; g < groups; ++g) {
    if (g > 0) body += ',';
    body += R"({"id": ")" + uuid(next++) + R"(", "title": "Group", "priority": 1,
      "theme": {"progressStyle": "SEGMENTED", "primaryColor": "#FF8800", "secondaryColor": "#00AAFF"},
      "items": [)";
    for (int i = 0; i < itemsPerGroup; ++i) {
      const std::string item = uuid(next++), optionA = uuid(next++), optionB = uuid(next++);
      if (i > 0) body += ',';
      body += R"({"id": ")" + item + R"(", "type": "IMAGE", "title": "Page title",
        "bodyText": "Some longer body text for the page", "ctaText": "Open", "ctaUrl": "shop.example.com/p",
        "media": {"mediaType": "IMAGE", "mediaUrl": "https://cdn.example.com/media/image.jpg", "durationSeconds": 6},
        "widgetType": "POLL", "widgetQuestion": "Which one?", "widgetOptions": [
          {"id": ")" +
              optionA + R"(", "text": "A", "orderIndex": 0, "voteCount": 10},
          {"id": ")" +
              optionB + R"(", "text": "B", "orderIndex": 1, "voteCount": 12}],
        "userVote": {"optionId": ")" +
              optionA + R"(", "votedAt": "2024-05-01T12:30:00Z"}})";
    }
    body += "]}";
  }
  return body + "]}";
}

// The fastest of `runs` timings of `work`, in seconds.
template <typename Work>
double fastestSeconds(int runs, Work&& work) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  return best;
}

}  // namespace orvane::bench
