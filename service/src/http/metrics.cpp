#include "metrics.h"

#include <array>
#include <charconv>
#include <cmath>

namespace orvane::service::http {
namespace {

// Prometheus' default buckets, in seconds.
constexpr std::array<double, 11> kBucketBounds{0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

std::string number(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  std::array<char, 32> text{};
  auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::string escaped(const std::string& text, bool quotes) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '"' && quotes) out += "\\\"";
    else out += c;
  }
  return out;
}

}  // namespace

void RequestTally::record(const std::string& route, int status, std::chrono::microseconds duration) {
  double seconds = static_cast<double>(duration.count()) / 1e6;
  std::size_t bucket = 0;
  while (bucket < kBucketBounds.size() && seconds > kBucketBounds[bucket]) ++bucket;
  std::lock_guard lock(mutex_);
  ++requests_[{route, status}];
  auto& buckets = latencyBuckets_[route];
  if (buckets.empty()) buckets.resize(kBucketBounds.size() + 1);
  ++buckets[bucket];
  latencySums_[route] += seconds;
}

RequestTally& Metrics::addTally() {
  std::lock_guard lock(mutex_);
  return tallies_.emplace_back();
}

void Metrics::addGauge(std::string name, std::string help, std::function<double()> read) {
  std::lock_guard lock(mutex_);
  sampled_.push_back({std::move(name), std::move(help), "gauge", std::move(read)});
}

void Metrics::addCounter(std::string name, std::string help, std::function<double()> read) {
  std::lock_guard lock(mutex_);
  sampled_.push_back({std::move(name), std::move(help), "counter", std::move(read)});
}

std::string Metrics::render() const {
  std::string out;
  std::map<std::pair<std::string, int>, std::uint64_t> requests;
  std::map<std::string, std::vector<std::uint64_t>> latencyBuckets;
  std::map<std::string, double> latencySums;
  std::vector<Sampled> sampled;
  {
    std::lock_guard lock(mutex_);
    for (const RequestTally& tally : tallies_) {
      std::lock_guard tallyLock(tally.mutex_);
      for (const auto& [key, count] : tally.requests_) requests[key] += count;
      for (const auto& [route, buckets] : tally.latencyBuckets_) {
        auto& sum = latencyBuckets[route];
        sum.resize(buckets.size());
        for (std::size_t i = 0; i < buckets.size(); ++i) sum[i] += buckets[i];
      }
      for (const auto& [route, seconds] : tally.latencySums_) latencySums[route] += seconds;
    }
    sampled = sampled_;
  }
  out += "# HELP orvane_http_requests_total Answered HTTP requests by route and status.\n"
         "# TYPE orvane_http_requests_total counter\n";
  for (const auto& [key, count] : requests) {
    out += "orvane_http_requests_total{route=\"" + escaped(key.first, true) + "\",status=\"" +
           std::to_string(key.second) + "\"} " + std::to_string(count) + "\n";
  }
  out += "# HELP orvane_http_request_duration_seconds Time from a request's headers to its answer written.\n"
         "# TYPE orvane_http_request_duration_seconds histogram\n";
  for (const auto& [route, buckets] : latencyBuckets) {
    std::string label = "route=\"" + escaped(route, true) + "\"";
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
      cumulative += buckets[i];
      std::string bound = i < kBucketBounds.size() ? number(kBucketBounds[i]) : "+Inf";
      out += "orvane_http_request_duration_seconds_bucket{" + label + ",le=\"" + bound + "\"} " +
             std::to_string(cumulative) + "\n";
    }
    out += "orvane_http_request_duration_seconds_sum{" + label + "} " + number(latencySums.at(route)) + "\n";
    out += "orvane_http_request_duration_seconds_count{" + label + "} " + std::to_string(cumulative) + "\n";
  }
  // Read outside the lock: a reader may take locks of its own.
  for (const auto& metric : sampled) {
    out += "# HELP " + metric.name + " " + escaped(metric.help, false) + "\n";
    out += "# TYPE " + metric.name + " " + metric.type + "\n";
    out += metric.name + " " + number(metric.read()) + "\n";
  }
  return out;
}

}  // namespace orvane::service::http
