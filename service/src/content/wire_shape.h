#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::content {

// Checks a placement document against the records the SDK decodes, plus the service's own fields
// ("priority", "startAt", "endAt", "locales", "countries"). The SDK fails a whole answer on one
// bad record, so nothing that breaks this shape is stored or served. Story item and option ids
// must be unique within the document, as votes are kept by them. "userVote" is the service's to
// write. Throws ContentError naming `source` and the first place found, e.g.
// "home.stories.json: groups[0].items[1].id is not a UUID".
void checkDocument(const nlohmann::json& document, storage::ContentKind kind, const std::string& source);

}  // namespace orvane::service::content
