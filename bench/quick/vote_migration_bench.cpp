// Opening the store beside an older version's settings file that holds 100,000 votes: they are
// moved in at start, before the host's first frame, so the move must be one batch.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <string>

#include <orvane/quick/platform/qsettings_store.h>

namespace {

void BM_MoveVotesOfAnOlderVersion(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir directory;
    const QString file = directory.filePath("host.ini");
    {
      QSettings earlier(file, QSettings::IniFormat);
      for (std::int64_t n = 0; n < state.range(0); ++n)
        earlier.setValue(QString::fromStdString("orvane_widget_vote:app-key:user-1:item-" + std::to_string(n)),
                         "option");
    }
    state.ResumeTiming();
    orvane::quick::QSettingsStore store(directory.filePath("orvane"), nullptr, orvane::quick::EarlierSettings(file));
    benchmark::DoNotOptimize(store.string("orvane_widget_vote:app-key:user-1:item-0"));
  }
}
BENCHMARK(BM_MoveVotesOfAnOlderVersion)
    ->ArgName("votes")
    ->Arg(100000)->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
