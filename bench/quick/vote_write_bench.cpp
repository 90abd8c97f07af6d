// Saving one vote on the main thread, with 100 and with 4,000 votes already stored: the cost of a
// write should not grow with the history of votes.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <string>

#include <orvane/quick/platform/qsettings_store.h>

namespace {

std::string voteKey(std::int64_t n) { return "orvane_widget_vote:app-key:user-1:item-" + std::to_string(n); }

void BM_VoteWrite(benchmark::State& state) {
  QTemporaryDir directory;
  orvane::quick::QSettingsStore store(directory.path());
  for (std::int64_t n = 0; n < state.range(0); ++n) store.set(voteKey(n), "option-" + std::to_string(n % 4));

  std::int64_t written = 0;
  for (auto _ : state) store.set(voteKey(state.range(0)), "option-" + std::to_string(++written % 4));
}
BENCHMARK(BM_VoteWrite)->ArgName("existing votes")->Arg(100)->Arg(4000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
