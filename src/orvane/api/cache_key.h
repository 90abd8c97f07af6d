#pragma once

#include <string>

namespace orvane {

// Appends one part of a "|"-joined cache key, escaping so that no two part lists make one key.
inline void appendEscapedKeyPart(std::string& key, const std::string& part) {
  for (char c : part) {
    if (c == '|' || c == '\\') key += '\\';
    key += c;
  }
}

}  // namespace orvane
