#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace orvane::service::http {

// Answered requests counted by one event loop. Each loop has its own, so a loop never waits on
// another's lock: a background loop preempted while holding a shared one would hold up the rest.
class RequestTally {
 public:
  void record(const std::string& route, int status, std::chrono::microseconds duration);

 private:
  friend class Metrics;
  mutable std::mutex mutex_;  // taken by its loop and by a render
  std::map<std::pair<std::string, int>, std::uint64_t> requests_;
  std::map<std::string, std::vector<std::uint64_t>> latencyBuckets_;  // per route, cumulative at render
  std::map<std::string, double> latencySums_;
};

// Prometheus text exposition of the server's request counts and latencies, plus gauges and
// counters the rest of the service registers. Thread-safe.
class Metrics {
 public:
  // A tally whose counts are rendered with the rest; it lives as long as these metrics, so counts
  // stay monotonic across a server's restarts.
  RequestTally& addTally();

  // A value read when the metrics are rendered (queue depth, drops, votes...).
  void addGauge(std::string name, std::string help, std::function<double()> read);
  void addCounter(std::string name, std::string help, std::function<double()> read);

  // The text format, version 0.0.4.
  std::string render() const;

 private:
  struct Sampled {
    std::string name, help, type;
    std::function<double()> read;
  };
  mutable std::mutex mutex_;
  std::deque<RequestTally> tallies_;  // never moves an element
  std::vector<Sampled> sampled_;
};

}  // namespace orvane::service::http
