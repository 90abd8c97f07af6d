#pragma once

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "vote_ledger.h"

namespace orvane::service {

// Content that cannot be served, or a service that cannot start; the message says why.
class ContentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The placements of a content directory: "<placement>.stories.json" holds a stories answer and
// "<placement>.banners.json" a banners answer, both in wire form. Text values may contain
// "{{origin}}", replaced by the service's own origin when served. Every file is checked
// against the wire shape when loaded, so a bad file fails at start rather than in a client.
class ContentCatalog {
 public:
  static ContentCatalog load(const std::filesystem::path& directory);

  const nlohmann::json* stories(const std::string& placementKey) const;
  const nlohmann::json* banners(const std::string& placementKey) const;

  // Makes every poll and quiz option votable, starting from the counts in the files.
  void registerVotables(VoteLedger& ledger) const;

 private:
  std::map<std::string, nlohmann::json> stories_;
  std::map<std::string, nlohmann::json> banners_;
};

}  // namespace orvane::service
