// Decoding and mapping a large placement answer, as done on the session's thread per fetch.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "api/wire/story_mapping.h"

namespace {

std::string uuid(int n) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "00000000-0000-4000-8000-%012X", n);
  return buffer;
}

std::string storiesBody(int groups, int itemsPerGroup) {
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

void BM_DecodeAndMapStories(benchmark::State& state) {
  const std::string body = storiesBody(static_cast<int>(state.range(0)), 10);
  const orvane::Date now{};
  for (auto _ : state) {
    auto payload = orvane::decodeStoriesPayload(body);
    if (!payload.ok()) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(orvane::mapStoryGroups(payload.value(), now));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(body.size()));
}
BENCHMARK(BM_DecodeAndMapStories)->Arg(10)->Arg(100);

// The floor: nlohmann's own parse of the same bytes, with no checks and no mapping.
void BM_RawJsonParse(benchmark::State& state) {
  const std::string body = storiesBody(static_cast<int>(state.range(0)), 10);
  for (auto _ : state) {
    benchmark::DoNotOptimize(nlohmann::json::parse(body));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(body.size()));
}
BENCHMARK(BM_RawJsonParse)->Arg(10)->Arg(100);

}  // namespace

BENCHMARK_MAIN();
