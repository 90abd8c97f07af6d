#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace orvane::service::http {

// Prometheus text exposition of the server's request counts and latencies, plus gauges and
// counters the rest of the service registers. Thread-safe.
class Metrics {
 public:
  // Counted by the server for every answered request.
  void recordRequest(const std::string& route, int status, std::chrono::microseconds duration);

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
  std::map<std::pair<std::string, int>, std::uint64_t> requests_;
  std::map<std::string, std::vector<std::uint64_t>> latencyBuckets_;  // per route, cumulative at render
  std::map<std::string, double> latencySums_;
  std::vector<Sampled> sampled_;
};

}  // namespace orvane::service::http
