#pragma once

#include <filesystem>
#include <optional>

#include "http/router.h"

namespace orvane::service::console {

// The browser console's files under /console/: index.html for the folder and for any path that
// is not a file (the page routes itself), hashed assets cached for a year, everything with a
// policy that lets the page load nothing from another origin. /console redirects to /console/.
// Without a folder, /console/ says the console is not built.
void addConsoleRoutes(http::Router& router, std::optional<std::filesystem::path> folder);

// The folder to serve when none is given: the installed one, else the build tree's; nullopt when
// neither holds an index.html.
std::optional<std::filesystem::path> defaultConsoleFolder(const std::filesystem::path& installed,
                                                          const std::filesystem::path& built);

}  // namespace orvane::service::console
