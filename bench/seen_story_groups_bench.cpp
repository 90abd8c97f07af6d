// Reading back a seen-groups list that a tampered settings file made 60,000 entries long: it is
// read on the main thread when the bar first draws.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include <orvane/platform/system_platform.h>
#include <orvane/core/seen_story_groups.h>

namespace {

void BM_LoadTamperedSeenGroups(benchmark::State& state) {
  nlohmann::json stored = nlohmann::json::array();
  for (std::int64_t n = 0; n < state.range(0); ++n) stored.push_back("group-" + std::to_string(n));
  orvane::MemoryStore store;
  store.set(orvane::SeenStoryGroups::storageKey, stored.dump());
  for (auto _ : state) {
    orvane::SeenStoryGroups seen(store);
    benchmark::DoNotOptimize(seen.groupIds().size());
  }
}
BENCHMARK(BM_LoadTamperedSeenGroups)->ArgName("entries")->Arg(500)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
