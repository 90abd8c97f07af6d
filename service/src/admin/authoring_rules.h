#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::admin {

struct ContentProblem {
  std::string path;     // "groups[0].items[1].ctaUrl"; empty for the document itself
  std::string message;
};

// Everything wrong with a draft written through the console, beyond the wire's shape: links the
// SDK would refuse to open, polls and quizzes that cannot be answered, media that are not links,
// banners that cannot be laid out. Empty when it is fine. `placementKey` is the draft's own.
// `appSchemes` are those the host apps open too (their deep links), as they tell the SDK.
std::vector<ContentProblem> authoringProblems(const nlohmann::json& document, storage::ContentKind kind,
                                              const std::string& placementKey,
                                              const std::vector<std::string>& appSchemes);

// Empty when the SDK opens `link` once it has read it as it reads call-to-action links, else why not.
std::string linkProblem(std::string_view link, const std::vector<std::string>& appSchemes);

}  // namespace orvane::service::admin
