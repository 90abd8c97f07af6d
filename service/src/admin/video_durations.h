#pragma once

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::admin {

// Video pages whose media is an upload ("{{origin}}/media/<sha256>.mp4") and that give no length
// get the one measured at upload, in whole seconds rounded up, so the page lasts the whole video.
// Lengths written by the author stay as they are.
void fillVideoDurations(nlohmann::json& document, storage::Store& store);

}  // namespace orvane::service::admin
