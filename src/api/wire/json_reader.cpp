#include "api/wire/json_reader.h"

#include <cmath>
#include <limits>

#include "platform/uuid.h"

namespace orvane {
namespace {

// Far deeper than any service answer, far shallower than anything that could hurt.
constexpr std::size_t kMaxNestingDepth = 512;

// Builds the document like nlohmann's own DOM builder, refusing to open one level too many
// and recording the first syntax error instead of throwing it.
class DepthLimitedBuilder {
 public:
  explicit DepthLimitedBuilder(nlohmann::json& root) : dom_(root, false) {}

  bool null() { return dom_.null(); }
  bool boolean(bool value) { return dom_.boolean(value); }
  bool number_integer(nlohmann::json::number_integer_t value) { return dom_.number_integer(value); }
  bool number_unsigned(nlohmann::json::number_unsigned_t value) { return dom_.number_unsigned(value); }
  bool number_float(nlohmann::json::number_float_t value, const std::string& text) {
    return dom_.number_float(value, text);
  }
  bool string(std::string& value) { return dom_.string(value); }
  bool binary(nlohmann::json::binary_t& value) { return dom_.binary(value); }
  bool key(std::string& value) { return dom_.key(value); }
  bool start_object(std::size_t size) { return enter() && dom_.start_object(size); }
  bool end_object() {
    --depth_;
    return dom_.end_object();
  }
  bool start_array(std::size_t size) { return enter() && dom_.start_array(size); }
  bool end_array() {
    --depth_;
    return dom_.end_array();
  }
  template <typename Exception>
  bool parse_error(std::size_t byte, const std::string&, const Exception&) {
    error_ = "The given data was not valid JSON (at byte " + std::to_string(byte) + ").";
    return false;
  }

  const std::string& error() const { return error_; }

 private:
  bool enter() {
    if (++depth_ <= kMaxNestingDepth) return true;
    error_ = "The given data is nested more than " + std::to_string(kMaxNestingDepth) + " levels deep.";
    return false;
  }

  nlohmann::detail::json_sax_dom_parser<nlohmann::json> dom_;
  std::size_t depth_ = 0;
  std::string error_;
};

std::string typeName(const nlohmann::json& value) {
  if (value.is_number()) return "a number";
  if (value.is_null()) return "null";
  if (value.is_array()) return "an array";
  if (value.is_object()) return "an object";
  if (value.is_boolean()) return "a boolean";
  return "a string";
}

void failCorrupted(const CodingPath& path, std::string message) {
  failDecoding(DecodingError::Kind::dataCorrupted, path, std::move(message));
}

}  // namespace

void failDecoding(DecodingError::Kind kind, const CodingPath& path, std::string message) {
  throw DecodingFailure(DecodingError{kind, path.text(), std::move(message)});
}

void failTypeMismatch(const char* expected, const nlohmann::json& found, const CodingPath& path) {
  failDecoding(DecodingError::Kind::typeMismatch, path,
               std::string("Expected ") + expected + " but found " + typeName(found) + ".");
}

std::string readString(const nlohmann::json& value, const CodingPath& path) {
  if (!value.is_string()) failTypeMismatch("a string", value, path);
  return value.get_ref<const std::string&>();
}

std::int64_t readInteger(const nlohmann::json& value, const CodingPath& path) {
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  if (value.is_number_unsigned()) {
    auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(kMax)) {
      failCorrupted(path, "Number " + std::to_string(number) + " does not fit in a 64-bit integer.");
    }
    return static_cast<std::int64_t>(number);
  }
  if (value.is_number_integer()) return value.get<std::int64_t>();
  if (!value.is_number_float()) failTypeMismatch("an integer", value, path);

  // 12.0 and 1e2 are whole numbers and read as such; 2^63 and beyond do not fit.
  const double number = value.get<double>();
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!std::isfinite(number) || std::trunc(number) != number) {
    failCorrupted(path, "Number " + value.dump() + " is not a whole number.");
  }
  if (number >= kLimit || number < -kLimit) {
    failCorrupted(path, "Number " + value.dump() + " does not fit in a 64-bit integer.");
  }
  return static_cast<std::int64_t>(number);
}

bool readBool(const nlohmann::json& value, const CodingPath& path) {
  if (!value.is_boolean()) failTypeMismatch("a boolean", value, path);
  return value.get<bool>();
}

std::string readUuid(const nlohmann::json& value, const CodingPath& path) {
  if (!value.is_string()) failTypeMismatch("a UUID string", value, path);
  auto uuid = canonicalLowercaseUuid(value.get_ref<const std::string&>());
  if (!uuid) failCorrupted(path, "Attempted to decode a UUID from an invalid UUID string.");
  return *std::move(uuid);
}

Date readDate(const nlohmann::json& value, const CodingPath& path) {
  if (!value.is_string()) failTypeMismatch("a date string", value, path);
  auto date = parseIso8601(value.get_ref<const std::string&>());
  if (!date) failCorrupted(path, "Expected date string to be ISO8601-formatted.");
  return *date;
}

JsonObjectReader::JsonObjectReader(const nlohmann::json& value, const CodingPath& path)
    : object_(value), path_(path) {
  if (!value.is_object()) failTypeMismatch("an object", value, path);
}

const nlohmann::json* JsonObjectReader::find(std::string_view key) const {
  auto found = object_.find(key);
  return found == object_.end() ? nullptr : &*found;
}

nlohmann::json parseJsonDocument(std::string_view bytes) {
  nlohmann::json document;
  DepthLimitedBuilder builder(document);
  if (!nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &builder)) {
    failCorrupted(CodingPath(), builder.error());
  }
  return document;
}

}  // namespace orvane
