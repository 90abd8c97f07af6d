#include "http/metrics.h"

#include <gtest/gtest.h>

namespace orvane::service::http {
namespace {

TEST(Metrics, RendersCountsCumulativeLatencyBucketsAndRegisteredValues) {
  Metrics metrics;
  // Two loops' tallies, summed.
  RequestTally& one = metrics.addTally();
  RequestTally& other = metrics.addTally();
  one.record("stories", 200, std::chrono::milliseconds(3));
  other.record("stories", 200, std::chrono::milliseconds(30));
  one.record("stories", 304, std::chrono::seconds(20));
  other.record("odd\"name", 404, std::chrono::milliseconds(1));
  double depth = 7;
  metrics.addGauge("orvane_event_queue_depth", "Events waiting to be written.", [&] { return depth; });
  metrics.addCounter("orvane_events_dropped_total", "Events dropped\nwhile the queue was full.", [] { return 2.5; });

  std::string text = metrics.render();
  for (const char* line : {
           "# TYPE orvane_http_requests_total counter\n",
           "orvane_http_requests_total{route=\"stories\",status=\"200\"} 2\n",
           "orvane_http_requests_total{route=\"stories\",status=\"304\"} 1\n",
           "orvane_http_requests_total{route=\"odd\\\"name\",status=\"404\"} 1\n",
           "# TYPE orvane_http_request_duration_seconds histogram\n",
           "orvane_http_request_duration_seconds_bucket{route=\"stories\",le=\"0.005\"} 1\n",
           "orvane_http_request_duration_seconds_bucket{route=\"stories\",le=\"0.025\"} 1\n",
           "orvane_http_request_duration_seconds_bucket{route=\"stories\",le=\"0.05\"} 2\n",
           "orvane_http_request_duration_seconds_bucket{route=\"stories\",le=\"10\"} 2\n",
           "orvane_http_request_duration_seconds_bucket{route=\"stories\",le=\"+Inf\"} 3\n",
           "orvane_http_request_duration_seconds_count{route=\"stories\"} 3\n",
           "orvane_http_request_duration_seconds_sum{route=\"stories\"} 20.033\n",
           "# HELP orvane_event_queue_depth Events waiting to be written.\n",
           "# TYPE orvane_event_queue_depth gauge\norvane_event_queue_depth 7\n",
           "# HELP orvane_events_dropped_total Events dropped\\nwhile the queue was full.\n",
           "# TYPE orvane_events_dropped_total counter\norvane_events_dropped_total 2.5\n",
       }) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
  }
  depth = 8;
  EXPECT_NE(metrics.render().find("orvane_event_queue_depth 8\n"), std::string::npos);
}

}  // namespace
}  // namespace orvane::service::http
