#include "audit_trail.h"

namespace orvane::service::admin {

void AuditTrail::record(const std::string& actor, const http::Request& request, std::string action,
                        std::string target, const nlohmann::json& detail) const {
  if (store_ == nullptr) return;
  store_->appendAudit(storage::AuditEntry{0, clock_(), actor, std::move(action), std::move(target),
                                          detail.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                                          request.clientAddress});
}

}  // namespace orvane::service::admin
