#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

#include "storage/sql_connection.h"

namespace orvane::service::storage {

// Makes the poll and quiz options of a stories document votable. An option seen for the first
// time starts from the document's "voteCount"; a known one keeps its count and learns where it
// now lives (placement and group), which the report groups by.
void indexVoteOptions(SqlConnection& connection, std::int64_t appId, std::int64_t placementId,
                      const nlohmann::json& document);

// Option and item ids are UUIDs in either letter case on the wire; the SDK sends them in lower case.
std::string lowerCaseId(std::string_view id);

}  // namespace orvane::service::storage
