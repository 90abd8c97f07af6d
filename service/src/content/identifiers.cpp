#include "identifiers.h"

#include <algorithm>

namespace orvane::service::content {
namespace {

bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool isUuid(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? text[i] != '-' : !isHexDigit(text[i])) return false;
  }
  return true;
}

bool isSafeKey(std::string_view text) {
  return !text.empty() && text.size() <= 128 && text.front() != '.' &&
         std::all_of(text.begin(), text.end(), [](char c) { return isAsciiAlnum(c) || c == '.' || c == '_' || c == '-'; });
}

bool isTagText(std::string_view text) {
  return !text.empty() && text.size() <= 35 &&
         std::all_of(text.begin(), text.end(), [](char c) { return isAsciiAlnum(c) || c == '-'; });
}

std::string lowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower;
}

}  // namespace orvane::service::content
