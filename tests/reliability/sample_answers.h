#pragma once

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>

namespace orvane::testing {

// A well-formed service answer ("stories", "banners" or "vote"), without trailing whitespace so
// that no shorter prefix of it is a complete JSON text.
inline std::string sampleAnswer(const std::string& name) {
  std::ifstream file(std::string(ORVANE_SAMPLE_ANSWERS_DIR) + "/" + name + ".json", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  std::string body = text.str();
  while (!body.empty() && std::isspace(static_cast<unsigned char>(body.back())) != 0) body.pop_back();
  return body;
}

}  // namespace orvane::testing
