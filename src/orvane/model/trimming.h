#pragma once

#include <orvane/export.h>

#include <string_view>

namespace orvane {

// `text` without leading and trailing white space and line breaks, Unicode ones included
// (no-break space, line and paragraph separators, ideographic space...). Expects UTF-8.
ORVANE_EXPORT std::string_view trimmingWhitespaceAndNewlines(std::string_view text);

}  // namespace orvane
