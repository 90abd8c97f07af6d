#pragma once

#include <string>
#include <string_view>

namespace orvane::service::report {

// One CSV field of text from clients or editors: quoted when it holds a separator, quote or line
// break, and prefixed with a quote mark when a spreadsheet would run it as a formula.
std::string csvField(std::string_view text);

}  // namespace orvane::service::report
