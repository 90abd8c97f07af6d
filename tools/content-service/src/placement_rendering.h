#pragma once

#include <chrono>
#include <string>

#include <nlohmann/json.hpp>

#include "vote_ledger.h"

namespace orvane::service {

// A stories answer as one user sees it: current counts on every option, and that user's
// vote on each item they voted on. An empty user id gets the counts only.
nlohmann::json storiesForUser(nlohmann::json stories, const VoteLedger& ledger, const std::string& userId);

// Every "{{origin}}" in the document's text values replaced, e.g. by "http://127.0.0.1:8080".
nlohmann::json withOrigin(nlohmann::json document, const std::string& origin);

// "2024-05-01T12:30:00Z": UTC, whole seconds.
std::string iso8601(std::chrono::system_clock::time_point time);

}  // namespace orvane::service
