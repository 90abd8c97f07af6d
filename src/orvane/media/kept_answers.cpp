#include <orvane/media/kept_answers.h>

namespace orvane {

DiskCacheRecord keptRecordOf(const HttpCachePolicy& policy, Date now) {
  DiskCacheRecord record;
  record.etag = policy.etag;
  record.storedAt = now;
  record.freshFor = policy.freshFor;
  record.usableWhenStale = policy.usableWhenStale;
  return record;
}

std::optional<DiskCacheRecord> confirmedRecord(const HttpResponse& notModified, const DiskCacheRecord& kept,
                                               Date now) {
  auto policy = cachePolicyOf(notModified);
  if (!policy.store) return std::nullopt;
  // A 304 need not repeat the validator it confirms.
  if (policy.etag.empty()) policy.etag = kept.etag;
  return keptRecordOf(policy, now);
}

bool originUnreachable(const HttpResult& exchange) {
  if (exchange.error) return exchange.error->code != TransportError::Code::cancelled;
  return exchange.response && exchange.response->statusCode >= 500;
}

}  // namespace orvane
